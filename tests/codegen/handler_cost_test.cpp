// What a handler costs, in cycles on the simulator: from its first instruction to the end
// of its "reti" (the chip adds its interrupt response and the vector's jump). A handler
// whose code never works on Y and never reads flash costs its pushes and pops and nothing
// more, at every save level, on the m8 and on the m2560 (where a handler used to keep
// RAMPZ whatever it did); one with a local pays for the switch to the handlers' own
// stack.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct Chip {
  const char* device;
  const char* mcu;
  const char* pin;   // INT0's
  int returnBytes;   // pushed by the interrupt, popped by reti
  int retiCycles;
};

// INT0 on any change of its pin; the pin an output, so the program triggers it itself.
std::string Program(const Chip& c, const std::string& save, const std::string& body) {
  const bool m8 = std::string(c.device) == "m8";
  std::string s = std::string("$device = ") + c.device + "\n$clock = 8\n$stack = 64\n";
  s += "Declare Interrupt Int0()\nDim Cnt As Byte\n";
  s += "$asm\n  ldi r16,0x01\n";
  s += m8 ? "  out MCUCR,r16\n  ldi r16,0x40\n  out GICR,r16\n" : "  sts EICRA,r16\n  out EIMSK,r16\n";
  s += std::string("  sbi DDRD,") + c.pin + "\n  sei\n  sbi PORTD," + c.pin + "\n  nop\n  nop\n  nop\n$end asm\nEnd\n";
  s += "Interrupt Int0()" + (save.empty() ? std::string() : ", Save " + save) + "\n" + body + "End Interrupt\n";
  return s;
}

// Cycles from the handler's first instruction to the end of its reti.
int HandlerCycles(const Chip& c, const std::string& program) {
  const CompiledBasic compiled = CompileBasic(program);
  EXPECT_EQ(compiled.error_count, 0) << compiled.report;
  const AsmResult a = AssembleAsmFile(compiled.asm_path);
  EXPECT_TRUE(a.ok) << a.output;
  SimRunner sim({.mcu = c.mcu, .frequency = 8'000'000});
  EXPECT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  const auto entry = sim.Symbol("IntN1");
  EXPECT_TRUE(entry.has_value());
  if (!entry) return -1;
  for (int step = 0; step < 10000; ++step) {
    sim.Run(1);
    if (sim.PcBytes() / 2 != *entry) continue;
    const std::uint64_t start = sim.Cycles();
    const std::uint16_t sp = sim.Sp();
    for (int inside = 0; inside < 10000; ++inside) {
      sim.Run(1);
      if (sim.Sp() == sp + c.returnBytes) return static_cast<int>(sim.Cycles() - start);
    }
    break;
  }
  ADD_FAILURE() << "the handler did not run and return";
  return -1;
}

TEST(HandlerCost, AHandlerThatNeverWorksOnYPaysForItsPushesAlone) {
  const Chip chips[] = {{"m8", "atmega8", "2", 2, 4}, {"m2560", "atmega2560", "0", 3, 5}};
  // The level's registers; the counter changes r24 and zl, which every level from 2 keeps
  // anyway (levels 0 and 1 add them).
  struct Level {
    const char* save;
    int emptyPushes;
    int counterPushes;
  };
  const Level levels[] = {{"", 0, 2}, {"1", 2, 3}, {"2", 4, 4}, {"3", 8, 8}, {"4", 12, 12}, {"All", 18, 18}};
  for (const Chip& c : chips) {
    for (const Level& l : levels) {
      SCOPED_TRACE(std::string(c.device) + " Save " + (*l.save != 0 ? l.save : "0"));
      // in r2,SREG and out SREG,r2; a push and a pop take two cycles each.
      const int floor = 1 + 1 + c.retiCycles;
      EXPECT_EQ(HandlerCycles(c, Program(c, l.save, "")), floor + 4 * l.emptyPushes);
      // lds, ldi, add, sts: 6 cycles.
      EXPECT_EQ(HandlerCycles(c, Program(c, l.save, "  Cnt = Cnt + 1\n")), floor + 4 * l.counterPushes + 6);
    }
  }
}

TEST(HandlerCost, AHandlerWithALocalSwitchesToItsOwnStack) {
  const Chip c = {"m8", "atmega8", "2", 2, 4};
  // push yl, push yh, lds, inc, sts, cpi, ldi, ldi, breq (taken); lds, dec, sts, pop, pop.
  const int sw = 2 + 2 + 2 + 1 + 2 + 1 + 1 + 1 + 2 + 2 + 1 + 2 + 2 + 2;
  const int withoutLocal = HandlerCycles(c, Program(c, "1", "  Cnt = Cnt + 1\n"));
  // sbiw yl,1; ldi and std for h = 1; an ldd of h where the counter had an ldi.
  EXPECT_EQ(HandlerCycles(c, Program(c, "1", "  Local h As Byte\n  h = 1\n  Cnt = Cnt + h\n")),
            withoutLocal + sw + 2 + 1 + 2 + 1);
}

}  // namespace
}  // namespace qbc::test
