// Cycles per call of _Fadd, _Fmul, _Fdiv and _Fsqrt against avr-libc's __addsf3,
// __mulsf3, __divsf3 and sqrt (Debian gcc-avr and avr-libc, the driver built with -Os), on
// the same simulated ATmega32 (which multiplies with mul) over the same operands. Each
// call is timed with Timer 1 at the CPU clock; the time of an empty call is taken off and
// the call and return added back, so a figure is the cycles from the call instruction to
// the end of the return. Prints the medians. The float multiply must stay within 200
// cycles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "compiler/library/core/float_functions.h"
#include "tests/float/float_fixture.h"
#include "tests/float/float_func_model.h"
#include "tests/float/float_model.h"
#include "tests/support/test_dirs.h"

namespace qbc::test::flt {
namespace {

constexpr int kCallAndReturn = 8;  // call (4) and ret (4) with a 2-byte program counter

// Operands of everyday size: random signs and mantissas, magnitudes 2^-12 .. 2^12.
std::vector<std::pair<uint32_t, uint32_t>> BenchOperands(size_t n) {
  std::mt19937 rng(41);
  std::vector<std::pair<uint32_t, uint32_t>> v;
  for (size_t i = 0; i < n; ++i) {
    auto one = [&rng] { return (rng() & 0x807FFFFFu) | ((115u + rng() % 25) << 23); };
    v.emplace_back(one(), one());
  }
  return v;
}

std::string TableBytes(const std::vector<std::pair<uint32_t, uint32_t>>& ops, const char* directive) {
  std::string t;
  for (auto [a, b] : ops) {
    t += std::string("\t") + directive + "\t";
    for (int i = 0; i < 8; ++i) {
      const uint32_t w = i < 4 ? a : b;
      t += Hex2((w >> (8 * (i % 4))) & 0xFF) + (i < 7 ? "," : "\n");
    }
  }
  return t;
}

// The timing loop, in avra or GNU syntax (`gnu`), around `call target`; results (timer
// count and A) go to 0x0100 onwards, 6 bytes a call.
std::string TimingLoop(bool gnu, const std::string& target, size_t n) {
  auto io = [gnu](const char* r) { return gnu ? std::string("_SFR_IO_ADDR(") + r + ")" : std::string(r); };
  const std::string lo = gnu ? "lo8" : "low", hi = gnu ? "hi8" : "high";
  std::string p;
  p += "\tldi\tr16," + lo + "(RAMEND)\n\tout\t" + io("SPL") + ",r16\n\tldi\tr16," + hi + "(RAMEND)\n\tout\t" + io("SPH") +
       ",r16\n\tclr\tr1\n\tldi\tr16,1\n\tout\t" + io("TCCR1B") + ",r16\n";
  p += "\tldi\tr28,0x00\n\tldi\tr29,0x01\n";
  p += "\tldi\tr30," + lo + "(" + (gnu ? "cases" : "cases*2") + ")\n\tldi\tr31," + hi + "(" + (gnu ? "cases" : "cases*2") + ")\n";
  p += "\tldi\tr16," + lo + "(" + std::to_string(n) + ")\n\tldi\tr17," + hi + "(" + std::to_string(n) + ")\n";
  p += "next:\n";
  for (const char* r : {"r22", "r23", "r24", "r25", "r18", "r19", "r20", "r21"}) p += std::string("\tlpm\t") + r + ",Z+\n";
  p += "\tpush\tr30\n\tpush\tr31\n\tout\t" + io("TCNT1H") + ",r1\n\tout\t" + io("TCNT1L") + ",r1\n";
  p += "\tcall\t" + target + "\n";
  p += "\tin\tr26," + io("TCNT1L") + "\n\tin\tr27," + io("TCNT1H") + "\n";
  p += "\tst\tY+,r26\n\tst\tY+,r27\n\tst\tY+,r22\n\tst\tY+,r23\n\tst\tY+,r24\n\tst\tY+,r25\n";
  p += "\tpop\tr31\n\tpop\tr30\n\tsubi\tr16,1\n\tsbci\tr17,0\n\tbreq\tdone\n\trjmp\tnext\ndone:\trjmp\tdone\n";
  p += "empty:\tret\n";
  return p;
}

struct Timing {
  std::vector<int> cycles;
  std::vector<uint32_t> results;
};

Timing Collect(SimRunner& sim, size_t n) {
  Timing t;
  for (size_t i = 0; i < n; ++i) {
    t.cycles.push_back(sim.SramWord(0x100 + 6 * static_cast<uint32_t>(i)));
    t.results.push_back(sim.SramLong(0x102 + 6 * static_cast<uint32_t>(i)));
  }
  return t;
}

Timing RunOurs(const std::string& entry, const std::vector<std::pair<uint32_t, uint32_t>>& ops) {
  std::string p = ".include \"m32def.inc\"\n\t.cseg\n\t.org 0\n";
  p += TimingLoop(false, entry, ops.size());
  p += LibraryText(kM32);
  auto sqrt = StateFor(kM32);
  EmitFloatSqrtRoutine(*sqrt);
  p += sqrt->out.Str();
  p += "\ncases:\n" + TableBytes(ops, ".db");
  AsmResult a = AssembleAsm(p);
  EXPECT_TRUE(a.ok) << a.output;
  SimRunner sim({.mcu = "atmega32", .frequency = 16000000});
  EXPECT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  const SimStop stop = sim.Run();
  EXPECT_EQ(stop, SimStop::EndLoop) << SimStopName(stop) << " pc " << sim.PcBytes() << " " << sim.Log();
  return Collect(sim, ops.size());
}

// Builds the same loop with avr-gcc around avr-libc's routine; false when avr-gcc is
// missing or fails.
bool RunAvrLibc(const std::string& target, const std::vector<std::pair<uint32_t, uint32_t>>& ops, Timing& out) {
  const std::string dir = MakeTempDir("float_cycles");
  std::string s = "#include <avr/io.h>\n\t.text\n\t.global main\nmain:\n";
  s += TimingLoop(true, target, ops.size());
  s += "cases:\n" + TableBytes(ops, ".byte");
  WriteFile(dir + "/drv.S", s);
  const std::string cmd = "cd " + dir + " && avr-gcc -mmcu=atmega32 -Os -nostartfiles drv.S -lm -o drv.elf > log.txt 2>&1" +
                          " && avr-objcopy -O ihex drv.elf drv.hex >> log.txt 2>&1";
  if (std::system(cmd.c_str()) != 0) {
    ADD_FAILURE() << "avr-gcc failed:\n" << ReadFile(dir + "/log.txt");
    return false;
  }
  SimRunner sim({.mcu = "atmega32", .frequency = 16000000});
  if (!sim.Load(dir + "/drv.hex")) return false;
  const SimStop stop = sim.Run();
  EXPECT_EQ(stop, SimStop::EndLoop) << SimStopName(stop) << " pc " << sim.PcBytes() << " " << sim.Log();
  out = Collect(sim, ops.size());
  return true;
}

int Median(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

TEST(FloatCycles, AgainstAvrLibc) {
  if (std::system("avr-gcc --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "avr-gcc is not installed";
  const auto ops = BenchOperands(280);
  const int ours_empty = Median(RunOurs("empty", ops).cycles);
  Timing libc_empty_t;
  ASSERT_TRUE(RunAvrLibc("empty", ops, libc_empty_t));
  const int libc_empty = Median(libc_empty_t.cycles);
  struct Op {
    const char* ours;
    const char* libc;
    uint32_t (*model)(uint32_t, uint32_t);
    double limit;  // largest ratio to avr-libc accepted
    bool positive;  // operands with the sign cleared
    int max_cycles;
  };
  std::printf("\n  cycles per call (median of %zu operand pairs, ATmega32)\n", ops.size());
  std::printf("  %-8s %8s %10s %8s\n", "", "ours", "avr-libc", "ratio");
  auto sqrt_model = [](uint32_t a, uint32_t) { return Bits(floatfn::Sqrtf(FromBits(a))); };
  auto positive_ops = ops;
  for (auto& [a, b] : positive_ops) a &= 0x7FFFFFFFu;
  for (const Op& op : {Op{"_Fadd", "__addsf3", Add, 1.5, false, 10000}, Op{"_Fmul", "__mulsf3", Mul, 1.2, false, 200},
                       Op{"_Fdiv", "__divsf3", Div, 1.5, false, 10000},
                       Op{"_Fsqrt", "sqrt", sqrt_model, 2.0, true, 10000}}) {
    const auto& operands = op.positive ? positive_ops : ops;
    const Timing ours = RunOurs(op.ours, operands);
    Timing libc;
    ASSERT_TRUE(RunAvrLibc(op.libc, operands, libc));
    ASSERT_EQ(ours.cycles.size(), ops.size());
    for (size_t i = 0; i < ops.size(); ++i) {
      // Both give the correctly rounded result on these normal operands.
      EXPECT_EQ(ours.results[i], op.model(operands[i].first, operands[i].second));
      EXPECT_EQ(libc.results[i], ours.results[i]) << op.libc;
    }
    std::vector<int> o, l;
    for (int c : ours.cycles) o.push_back(c - ours_empty + kCallAndReturn);
    for (int c : libc.cycles) l.push_back(c - libc_empty + kCallAndReturn);
    const int mo = Median(o), ml = Median(l);
    const double ratio = static_cast<double>(mo) / ml;
    std::printf("  %-8s %8d %10d %8.2f\n", op.ours, mo, ml, ratio);
    EXPECT_LE(ratio, op.limit) << op.ours;
    EXPECT_LE(mo, op.max_cycles) << op.ours;
  }
}

}  // namespace
}  // namespace qbc::test::flt
