// Compare and PWM statements on the simulator: the period of a compare toggle from the
// timer's compare-output events and the pin, a fast-PWM duty, both bytes of a compare
// register, a timer's own 8-bit PWM width, the tiny85's Timer1 registers, and the timed
// clock prescaler write.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Header(const std::string& device) {
  return "$device = " + device + "\n$clock = 8\n$stack = 32\nDim W As Word, B As Byte\n";
}

// Cycles between successive events, all of them.
std::vector<std::uint64_t> Spacings(const std::vector<SimRunner::Edge>& edges) {
  std::vector<std::uint64_t> out;
  for (std::size_t i = 1; i < edges.size(); ++i) out.push_back(edges[i].cycle - edges[i - 1].cycle);
  return out;
}

// The changes of level only (a pin or compare output also reports the level it already
// has).
std::vector<SimRunner::Edge> Changes(const std::vector<SimRunner::Edge>& edges) {
  std::vector<SimRunner::Edge> out;
  for (const SimRunner::Edge& e : edges)
    if (out.empty() || out.back().level != e.level) out.push_back(e);
  return out;
}

// CTC with a toggled output: the output changes every (compare + 1) * prescaler cycles.
TEST(ComparePwm, CompareToggleHasTheWrittenPeriod) {
  struct Case {
    const char* device;
    int timer;
    const char* setup;  // other timer lines before
    const char* statement;
    std::uint64_t period;
    char port;  // the compare output pin
    int bit;
  };
  const std::vector<Case> cases = {
      // An 8-bit PWM of timer 2 leaves timer 1's compare register 16 bits wide.
      {"m8", 1, "$timer2 = pwm, 8, normal\n", "Compare1a = 1000\n", 1001 * 8, 'B', 1},
      {"m128", 3, "", "Compare3a = 500\n", 501 * 8, 'E', 3},
      {"m2560", 3, "", "Pwm3a = 700\n", 701 * 8, 'E', 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.statement);
    const std::string n = std::to_string(c.timer);
    const std::string p = Header(c.device) + c.setup + "$timer" + n + " = timer, prescale = 8, compare" + n +
                          "a = toggle, clear\n" + c.statement + "$asm\n  sbi DDR" + std::string(1, c.port) + "," +
                          std::to_string(c.bit) + "\n$end asm\nStart Timer" + n + "\nWaitMs 20\nStop Timer" + n +
                          "\nEnd\n";
    auto run = RunBasic(p, c.device, 5'000'000, [&](SimRunner& sim) {
      sim.WatchCompare(c.timer, 0);
      sim.WatchPin(c.port, c.bit);
    });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    // The simulator stamps events at instruction boundaries, a cycle early or late; the
    // output changes every period, and the pin with it.
    for (const auto& edges :
         {Changes(run->sim->CompareEvents(c.timer, 0)), Changes(run->sim->PinEdges(c.port, c.bit))}) {
      const auto spacing = Spacings(edges);
      ASSERT_GE(spacing.size(), 5u);
      for (std::size_t i = 1; i < spacing.size(); ++i)
        EXPECT_NEAR(static_cast<double>(spacing[i]), static_cast<double>(c.period), 2.0);
      EXPECT_NEAR(static_cast<double>(edges.back().cycle - edges[1].cycle) / static_cast<double>(spacing.size() - 1),
                  static_cast<double>(c.period), 0.5);
    }
  }
}

// Fast PWM of timer 0 on the m88: OC0A is set at the bottom and cleared at the match, so
// it is high for (compare + 1) of every 256 counts.
TEST(ComparePwm, FastPwmDutyFollowsTheCompareValue) {
  const std::string p = Header("m88") + "$timer0 = fastpwm, pwma = normal\nPwm0a = 63\nStart Timer0\nWaitMs 2\n" +
                        "Stop Timer0\nEnd\n";
  auto run = RunBasic(p, "m88", 5'000'000, [](SimRunner& sim) { sim.WatchCompare(0, 0); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  // Events: 1 at the bottom, 0 at the match. The simulator stamps them at instruction
  // boundaries (a cycle early or late); the mean over many periods is exact.
  const auto& e = run->sim->CompareEvents(0, 0);
  double high = 0;
  int periods = 0;
  std::size_t first = 0, last = 0;
  for (std::size_t i = 0; i + 1 < e.size(); ++i) {
    if (e[i].level != 1 || e[i + 1].level != 0) continue;
    EXPECT_NEAR(static_cast<double>(e[i + 1].cycle - e[i].cycle), 64.0, 1.0);
    high += static_cast<double>(e[i + 1].cycle - e[i].cycle);
    if (periods++ == 0) first = i;
    last = i;
  }
  ASSERT_GE(periods, 10);
  EXPECT_NEAR(high / periods, 64.0, 0.5);
  EXPECT_NEAR(static_cast<double>(e[last].cycle - e[first].cycle) / (periods - 1), 256.0, 0.5);
}

// Both bytes reach the register, high byte first (the low byte's write takes both); an
// 8-bit PWM of the timer itself takes the value as a byte.
TEST(ComparePwm, CompareRegistersReadBack) {
  struct Case {
    const char* device;
    const char* lines;
    std::uint32_t low;  // data address of the register (of its low byte)
    int bytes;
    int value;
  };
  for (const Case c : {Case{"m8", "W = 1000\nCompare1a = W\n", 0x4A, 2, 1000},
                       Case{"m8", "Compare1b = 54321\n", 0x48, 2, 54321},
                       Case{"m168", "W = 40000\nPwm1a = W + 1\n", 0x88, 2, 40001},
                       Case{"m8", "$timer1 = pwm, 8, pwm1a = normal\nW = 1000\nCompare1a = W\n", 0x4A, 2, 1000 % 256},
                       Case{"m88", "Compare0b = 77\n", 0x48, 1, 77},
                       Case{"m168", "Compare2 = 99\n", 0xB3, 1, 99}}) {
    SCOPED_TRACE(std::string(c.device) + " " + c.lines);
    std::string read = "$asm\n  lds r16," + std::to_string(c.low) + "\n  sts w,r16\n";
    read += c.bytes == 2 ? "  lds r16," + std::to_string(c.low + 1) + "\n" : "  clr r16\n";
    read += "  sts w+1,r16\n$end asm\n";
    auto run = RunBasic(Header(c.device) + c.lines + read + "End\n", c.device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Word("w"), c.value);
  }
}

// Timer1 of the tiny85: eight bits counting up to OCR1C, PWM1A and COM1A in TCCR1 beside the
// clock select, PWM1B and COM1B in GTCCR. The program (which wrote TCCR1A and TCCR1B, which
// the chip lacks, and the assembler refused it) runs and leaves each register as the chip
// reads it; the simulator's tiny85 has no Timer1 counter, so the counting itself is not
// watched.
TEST(ComparePwm, TinyTimer1PwmRunsOnItsOwnRegisters) {
  const std::string p = Header("tn85") + "$timer1 = pwm, 8, pwma = normal, pwmb = inverted, prescale = 4\n" +
                        "Pwm1a = 63\nPwm1b = 200\nStart Timer1\n$asm\n  in r16,TCCR1\n  sts b,r16\n$end asm\n" +
                        "W = 0\nStop Timer1\n$asm\n  in r16,TCCR1\n  sts w,r16\n$end asm\nEnd\n";
  auto run = RunBasic(p, "tn85");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 0x60 | 3);                  // PWM1A, COM1A = 10, clock / 4
  EXPECT_EQ(run->Byte("w"), 0x60);                      // stopped, the PWM kept
  EXPECT_EQ(run->sim->Sram(0x2C + 0x20), 0x40 | 0x30);  // GTCCR: PWM1B, COM1B = 11
  EXPECT_EQ(run->sim->Sram(0x2D + 0x20), 255);          // OCR1C: the top
  EXPECT_EQ(run->sim->Sram(0x2E + 0x20), 63);           // OCR1A
  EXPECT_EQ(run->sim->Sram(0x2B + 0x20), 200);          // OCR1B
}

// A compare output of the tiny85's Timer1 acts on a count that clears at output A's value,
// as a 16-bit timer's does at OCR1A: Start writes CTC1 with the clock select (TCCR1 was
// 0x17, and OC1A toggled every 256 counts), and Compare1a sets OCR1C, where CTC1 clears
// the count, with OCR1A. Output B's value leaves the top alone.
TEST(ComparePwm, TinyTimer1CompareClearsAtOutputAsValue) {
  const std::string p = Header("tn85") + "$timer1 = timer, compare = toggle, prescale = 64\n" +
                        "Compare1a = 100\nCompare1b = 30\nStart Timer1\n$asm\n  in r16,TCCR1\n  sts b,r16\n$end asm\nEnd\n";
  auto run = RunBasic(p, "tn85");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 0x80 | 0x10 | 7);  // CTC1, COM1A = 01 (toggle), clock / 64
  EXPECT_EQ(run->sim->Sram(0x2E + 0x20), 100);  // OCR1A
  EXPECT_EQ(run->sim->Sram(0x2D + 0x20), 100);  // OCR1C: the count clears there
  EXPECT_EQ(run->sim->Sram(0x2B + 0x20), 30);   // OCR1B
}

// The AT90S4433's Timer1 has one output, its register named OCR1 (OCR1H, OCR1L): Compare1a
// and Pwm1a write it, high byte first (they were refused as a feature the chip lacks).
TEST(ComparePwm, TheOnlyOutputOfATimerIsChannelA) {
  for (const char* statement : {"Compare1a = 1000", "Pwm1a = 1000", "Compare1 = 1000"}) {
    SCOPED_TRACE(statement);
    auto compiled = CompileBasic(Header("4433") + statement + "\nEnd\n");
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_EQ(LinesOfSourceLine(compiled, 5), "ldi zl,byte1(1000); ldi zh,byte2(1000); out OCR1H,zh; out OCR1L,zl");
  }
}

// The prescaler takes a value only right after its change-enable bit was written alone.
TEST(ComparePwm, ClockPrescaleWritesTheTimedPair) {
  auto run = RunBasic(Header("m168") + "B = 3\nClockPrescale = B\n$asm\n  lds r16,CLKPR\n  sts b,r16\n$end asm\nEnd\n",
                      "m168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b") & 0x8F, 3);
  // CLKPCE is bit 7 of CLKPR on the ATmega2560 too; its avra file did not name it
  auto m2560 = RunBasic(Header("m2560") + "ClockPrescale = 2\n$asm\n  lds r16,CLKPR\n  sts b,r16\n$end asm\nEnd\n",
                        "m2560");
  ASSERT_TRUE(m2560->ok) << m2560->Diagnostics();
  EXPECT_EQ(m2560->Byte("b") & 0x8F, 2);
  auto compiled = CompileBasic(Header("m8") + "ClockPrescale = 1\nEnd\n");
  EXPECT_EQ(compiled.error_count, 1);
  EXPECT_TRUE(compiled.StartsWithError("Unexisting feature!", 5)) << compiled.report;
}

}  // namespace
}  // namespace qbc::test
