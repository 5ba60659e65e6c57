#include <gtest/gtest.h>

#include "compiler/driver/meta_statement.h"
#include "compiler/frontend/device_loader.h"
#include "compiler/statements/hardware/timer_cells.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

struct TimerCase {
  const char* device;
  const char* line;
  std::vector<std::string> lines;  // operands of the ldi and store lines, in order
  int timer;
  int clockSelect;
  int errors = 0;
};

// The "$" line in the declaration area: its lines go to the start-up code. The chip's
// registers and bits come from its definition file.
std::vector<std::string> RunTimerLine(test::CompilerFixture& f, const std::string& device, const std::string& line) {
  f.st.env.InstallDir = test::BinDir();
  EXPECT_TRUE(LoadDeviceFile(f.st, device)) << device;
  f.st.out.Clear();
  f.st.dev.DeviceName = device;
  f.LoadSource(line + "\n");
  ParseMetaStatement(f.st);
  std::vector<std::string> out;
  for (int i = 0; i < f.st.expr.ConfigScratch; ++i) {
    const std::string& l = f.st.cfg.InitCodeLines[i];
    out.push_back(l.substr(l.rfind('\t') + 1));
  }
  return out;
}

TEST(MetaTimer, ControlLinesAndClockSelect) {
  const TimerCase cases[] = {
      {"m8", "$timer0 = timer", {}, 0, 1},
      {"m8", "$timer0 = counter, rising", {}, 0, 7},
      // Timer0's one register of the classic chips (the m8's counts only: the m16's)
      {"m16", "$timer0 = pwm, inverted, prescale = 64", {"zl,112", "TCCR0,zl"}, 0, 3},
      {"m88", "$timer0 = fastpwm, pwma = normal, pwmb = inverted", {"zl,179", "TCCR0A,zl", "zl,0", "TCCR0B,zl"}, 0, 1},
      // fast PWM and OC0's output mode where the classic layout has them (WGM01 at bit 3)
      {"m16", "$timer0 = fastpwm, pwma = inverted", {"zl,120", "TCCR0,zl"}, 0, 1},
      {"m165", "$timer0 = fastpwm, pwm0a = normal", {"zl,104", "TCCR0A,zl"}, 0, 1},
      {"m16", "$timer0 = timer, pwma = normal", {}, 0, 1},
      {"m16", "$timer0 = timer, compare = toggle, clear", {"zl,24", "TCCR0,zl"}, 0, 1},
      {"m16", "$timer0 = counter, falling, compare = set", {"zl,50", "TCCR0,zl"}, 0, 6},
      {"m16", "$timer0 = pwm, normal, compare = disconnect", {"zl,64", "TCCR0,zl"}, 0, 1},
      {"m8", "$timer2 = pwm, 8, normal", {"zl,97", "TCCR2,zl"}, 2, 1},
      {"m8", "$timer2 = pwm, 10, disconnect", {"zl,3", "TCCR2,zl"}, 2, 1},
      // the m165 family keeps the TCCR2 layout in TCCR2A (avra's file also names a TCCR2B)
      {"m165", "$timer2 = pwm, 8, normal", {"zl,97", "TCCR2A,zl"}, 2, 1},
      {"m169", "$timer2 = timer, compare = toggle", {"zl,16", "TCCR2A,zl"}, 2, 1},
      {"m8", "$timer2 = fastpwm", {}, 2, 1, 1},
      {"m8", "$timer2 = timer, pwma = normal", {}, 2, 1, 1},
      {"m8", "$timer0 = timer, foo, prescale = 8", {}, 0, 1, 1},  // options after a bad one are not read
      {"m16", "$timer0 = timer, prescale = 3, compare = toggle", {"zl,16", "TCCR0,zl"}, 0, 1, 1},
      {"m8", "$timer1 = pwm, 10, pwma = normal, prescale = 8", {"zl,131", "TCCR1A,zl"}, 1, 2},
      {"m8", "$timer1 = timer, compare = toggle", {"zl,64", "TCCR1A,zl"}, 1, 9},
      {"m8", "$timer1 = timer, capture = rising, noisecancel", {"zl,192", "TCCR1B,zl"}, 1, 1},
      // Timer1 of the tiny26: PWM1A, PWM1B and both outputs' bits in TCCR1A; PWM counts up to
      // OCR1C, 255 for eight bits.
      {"tn26", "$timer1 = pwm, 8, pwmb = inverted", {"zl,51", "TCCR1A,zl", "zl,255", "OCR1C,zl"}, 1, 1},
      {"tn26", "$timer1 = timer, compare1a = toggle, clear", {"zl,64", "TCCR1A,zl"}, 1, 0x81},
      // ... of the tiny25/45/85: PWM1A and COM1A in TCCR1 (beside the clock select), PWM1B
      // and COM1B in GTCCR, at the places the file names.
      {"tn85", "$timer1 = pwm, 8, pwma = normal, prescale = 8", {"zl,96", "TCCR1,zl", "zl,64", "GTCCR,zl", "zl,255", "OCR1C,zl"}, 1, 4},
      {"tn45", "$timer1 = pwm, 8, pwm1a = inverted, pwm1b = normal",
       {"zl,112", "TCCR1,zl", "zl,96", "GTCCR,zl", "zl,255", "OCR1C,zl"}, 1, 1},
      // A compare output clears the count at its top (CTC1 with the clock select), as the
      // 16-bit timers' compare sets WGMn2: OC1A toggled every 256 counts.
      {"tn25", "$timer1 = timer, compare = set, compareb = toggle", {"zl,48", "TCCR1,zl", "zl,16", "GTCCR,zl"}, 1, 0x81},
      {"tn85", "$timer1 = timer, compare = toggle, prescale = 64", {"zl,16", "TCCR1,zl"}, 1, 0x87},
      {"tn26", "$timer1 = timer, compare1b = reset", {"zl,32", "TCCR1A,zl"}, 1, 0x81},
      {"m328p", "$timer1 = timer, compare = toggle, prescale = 64", {"zl,64", "TCCR1A,zl"}, 1, 0x0B},
      // What a timer lacks is refused: capture, a third output, an external clock, PWM
      // wider than eight bits on the tinies; output B on the AT90S2313, output C on the m8,
      // PWM and capture on the ATmega406's Timer1.
      {"tn85", "$timer1 = timer, capture = rising", {}, 1, 1, 1},
      {"tn85", "$timer1 = timer, noisecancel", {}, 1, 1, 1},
      {"tn85", "$timer1 = counter, rising", {}, 1, 1, 1},
      {"tn85", "$timer1 = pwm, 10, pwma = normal", {"zl,32", "TCCR1,zl"}, 1, 1, 1},
      {"tn26", "$timer1 = timer, pwmc = normal", {}, 1, 1, 1},
      {"2313", "$timer1 = timer, compareb = set", {}, 1, 1, 1},
      {"m8", "$timer1 = timer, pwm1c = normal", {}, 1, 1, 1},
      {"m406", "$timer1 = pwm, 8, pwma = normal", {}, 1, 1, 1},
      {"m406", "$timer1 = timer, capture = falling", {}, 1, 1, 1},
      // Timer0 of the m8, the AT90S chips and the tiny26 counts only (no output, no PWM);
      // the m16's has one output and the m103's no fast PWM.
      {"m8", "$timer0 = pwm, normal", {}, 0, 1, 1},
      {"m8", "$timer0 = fastpwm", {}, 0, 1, 1},
      {"m8", "$timer0 = timer, compare = toggle", {}, 0, 1, 1},
      {"2313", "$timer0 = timer, pwma = normal", {}, 0, 1, 1},
      {"tn26", "$timer0 = pwm, inverted", {}, 0, 1, 1},
      {"m16", "$timer0 = timer, pwmb = normal", {}, 0, 1, 1},
      {"m103", "$timer0 = fastpwm", {}, 0, 1, 1},
      // the m161's and m323's Timer0 has phase-correct PWM only (PWM0, CTC0)
      {"m161", "$timer0 = fastpwm", {}, 0, 1, 1},
      {"m323", "$timer0 = fastpwm, pwma = normal", {}, 0, 1, 1},
      {"m323", "$timer0 = pwm, normal", {"zl,96", "TCCR0,zl"}, 0, 1},
      // A counter counts the timer's clock input Tn: a timer without one (an asynchronous
      // Timer2, Timer0 of the m64/m128/m103) would count the clock divided by 256 or 1024.
      {"m328p", "$timer2 = counter, rising", {}, 2, 1, 1},
      {"m8", "$timer2 = counter, falling, prescale = 8", {}, 2, 1, 1},
      {"m2560", "$timer2 = counter, rising", {}, 2, 1, 1},
      {"m128", "$timer0 = counter, rising", {}, 0, 1, 1},
      {"m103", "$timer0 = counter, falling", {}, 0, 1, 1},
      {"m2561", "$timer4 = counter, rising", {}, 4, 1, 1},
      {"m128", "$timer2 = counter, falling", {}, 2, 6},
      {"m2560", "$timer5 = counter, rising", {}, 5, 7},
      {"tn85", "$timer0 = counter, rising", {}, 0, 7},
      {"m8", "$timer1 = timer, fast, prescale = 64", {}, 1, 3},
      {"m8", "$timer1 = timer, prescale = 64, fast", {}, 1, 11},
      {"m128", "$timer3 = timer, comparec = set", {"zl,12", "TCCR3A,zl"}, 3, 9},
      {"m2560", "$timer5 = timer, compare5a = toggle", {"zl,64", "TCCR5A,zl"}, 5, 9},
      {"m2560", "$timer4 = timer, compare4a = reset", {"zl,128", "TCCR4A,zl"}, 4, 9},
      {"m8", "$timer1 = timer, async", {}, 1, 1, 1},
      {"m128", "$timer3 = timer, pwm3a = normal", {}, 3, 1, 1},
      {"m8", "$timer1 = timer, capture = rising, compare1a = set", {"zl,192", "TCCR1A,zl", "zl,192", "TCCR1B,zl"}, 1, 9},
  };
  for (const TimerCase& c : cases) {
    test::CompilerFixture f;
    EXPECT_EQ(RunTimerLine(f, c.device, c.line), c.lines) << c.line;
    EXPECT_EQ(f.st.Cells<TimerCells>().TimerClockSelect[c.timer], c.clockSelect) << c.line;
    EXPECT_EQ(f.st.ErrorCount, c.errors) << c.line << f.report.Text();
    EXPECT_EQ(f.st.TokText(), "<EOL>") << c.line;
  }
}

TEST(MetaTimer, PwmBitCountEightSetsPwm8Bit) {
  test::CompilerFixture f;
  RunTimerLine(f, "m8", "$timer2 = pwm, 8, normal");
  EXPECT_TRUE(f.st.Cells<TimerCells>().Pwm8Bit[2]);
  EXPECT_FALSE(f.st.Cells<TimerCells>().Pwm8Bit[1]);  // each timer keeps its own width
  test::CompilerFixture g;
  RunTimerLine(g, "m8", "$timer1 = pwm, 9");
  EXPECT_FALSE(g.st.Cells<TimerCells>().Pwm8Bit[1]);
}

TEST(MetaTimer, PrescaleSetsByDeviceAndTimer) {
  struct Case {
    const char* device;
    int timer;
    int value;
    int code;  // 0: not a valid prescale value
  } cases[] = {
      {"m8", 0, 64, 3},     {"m8", 0, 32, 0},      {"m8", 2, 32, 3},     {"m8", 2, 1024, 7},  {"m8", 1, 1024, 5},
      {"m128", 0, 128, 5},  {"m128", 2, 128, 0},   {"m128", 3, 256, 4},  {"m162", 2, 1024, 7}, {"m162", 0, 1024, 5},
      {"m103", 0, 32, 3},   {"m103", 2, 32, 0},    {"tn26", 1, 16384, 15}, {"tn26", 1, 2, 2}, {"tn26", 0, 2, 0},
      // Timer1 of the tiny25/45/85 divides by powers of two as the tiny26's does: code
      // k + 1 for CK / 2^k (8 is code 4, not the three-bit set's 2).
      {"tn45", 1, 8, 4},    {"tn45", 1, 64, 7},    {"tn45", 1, 1024, 11}, {"tn45", 1, 1, 1},  {"tn45", 1, 3, 0},
      {"tn25", 1, 2, 2},    {"tn85", 1, 16384, 15}, {"tn85", 0, 8, 2},    {"tn45", 0, 1024, 5}, {"tn85", 0, 2, 0},
      {"tn24", 1, 8, 2},    {"tn2313", 1, 256, 4},
      // The 16-bit Timers 3 to 5 of the ATmega640/1280/2560 family run on the system
      // prescaler (codes 1 to 5; 6 and 7 would count the Tn pin's edges): 32 and 128 are
      // refused. Their Timer2 is the asynchronous one.
      {"m2560", 5, 1024, 5}, {"m2560", 5, 256, 4}, {"m2560", 3, 64, 3},  {"m1280", 4, 8, 2},  {"m2561", 3, 1, 1},
      {"m2560", 5, 32, 0},   {"m2561", 4, 128, 0}, {"m1280", 3, 32, 0},  {"m2560", 2, 128, 5}, {"m2560", 2, 1024, 7},
      {"m2560", 0, 1024, 5}, {"m2560", 0, 128, 0},
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    const std::string line =
        "$timer" + std::to_string(c.timer) + " = timer, prescale = " + std::to_string(c.value);
    RunTimerLine(f, c.device, line);
    EXPECT_EQ(f.st.Cells<TimerCells>().TimerClockSelect[c.timer], c.code == 0 ? 1 : c.code) << c.device << " " << line;
    EXPECT_EQ(f.st.ErrorCount, c.code == 0 ? 1 : 0) << c.device << " " << line;
  }
}

// Asynchronous operation sets the timer's own ASn bit of ASSR (the m103 names the register
// ASSR too); a timer the chip cannot run asynchronously is refused at its line.
TEST(MetaTimer, AsyncSetsTheTimersOwnBit) {
  const TimerCase cases[] = {
      {"m103", "$timer0 = timer, async", {"zl,0x08", "ASSR,zl"}, 0, 1},
      {"m128", "$timer0 = timer, async", {"zl,0x08", "ASSR,zl"}, 0, 1},
      {"m8", "$timer2 = timer, async", {"zl,0x08", "ASSR,zl"}, 2, 1},
      {"m16", "$timer2 = timer, async, prescale = 128", {"zl,0x08", "ASSR,zl"}, 2, 5},
      {"m88", "$timer2 = timer, async", {"zl,0x20", "ASSR,zl"}, 2, 1},
      {"m2560", "$timer2 = timer, async", {"zl,0x20", "ASSR,zl"}, 2, 1},
      {"m8", "$timer0 = timer, async", {}, 0, 1, 1},
      {"m128", "$timer2 = timer, async", {}, 2, 1, 1},
      {"m2560", "$timer4 = timer, async", {}, 4, 1, 1},
      {"tn2313", "$timer0 = timer, async", {}, 0, 1, 1},
  };
  for (const TimerCase& c : cases) {
    test::CompilerFixture f;
    EXPECT_EQ(RunTimerLine(f, c.device, c.line), c.lines) << c.device << " " << c.line;
    EXPECT_EQ(f.st.Cells<TimerCells>().TimerClockSelect[c.timer], c.clockSelect) << c.device << " " << c.line;
    EXPECT_EQ(f.st.ErrorCount, c.errors) << c.device << " " << c.line << f.report.Text();
    if (c.errors > 0) {
      EXPECT_NE(f.report.Text().find("Invalid settings!"), std::string::npos) << f.report.Text();
    }
  }
  // The store reaches ASSR where the chip has it: in the I/O space or beyond.
  test::CompilerFixture m88;
  m88.st.src.DeclarationsEnded = true;
  RunTimerLine(m88, "m88", "$timer2 = timer, async");
  EXPECT_EQ(m88.st.out.Str(), "\t\tldi\t\tzl,0x20\r\n\t\tsts\t\tASSR,zl\r\n");
}

TEST(MetaTimer, CodePassWritesTheLinesInPlace) {
  test::CompilerFixture f;
  f.st.src.DeclarationsEnded = true;
  RunTimerLine(f, "m128", "$timer3 = timer, comparec = set");
  EXPECT_EQ(f.st.expr.ConfigScratch, 0);
  EXPECT_EQ(f.st.out.Str(), "\t\tldi\t\tzl,12\r\n\t\tsts\t\tTCCR3A,zl\r\n");
}

}  // namespace
}  // namespace qbc
