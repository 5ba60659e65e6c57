// $timer0 and $timer2 on the classic and the newer megas, assembled and run: the control
// registers are the device's own (TCCR0A/TCCR0B, TCCR2A/TCCR2B beyond the I/O space on
// the newer chips), the waveform and output bits land where the chip has them, and the
// clock select the configuration gives makes the timer count at that prescale.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct Chip {
  const char* device;
  const char* mcu;
  bool split;  // TCCR2A/TCCR2B instead of TCCR2
};

const Chip kChips[] = {{"m8", "atmega8", false},        {"m48", "atmega48", true},     {"m88", "atmega88", true},
                       {"m168", "atmega168", true},     {"m644", "atmega644", true},   {"m1280", "atmega1280", true},
                       {"m2560", "atmega2560", true}};

// Timer2 in phase-correct PWM with OC2(A) on: the bit count 9 selects clk/8, 10 clk/32. The
// simulator does not count in phase-correct PWM, so the program then clears the waveform
// bits (normal mode, the clock select kept), runs a short loop and reads TCNT2, well before
// the count overflows: the count follows the cycles run at the configured prescale.
TEST(MetaTimerSim, Timer2CountsAtItsPrescaleOnEveryChip) {
  struct Setting {
    const char* bits;
    int prescale;
    std::uint8_t classic, a, b;  // TCCR2 on the classic chips; TCCR2A, TCCR2B on the newer ones
  } settings[] = {{"9", 8, 0x62, 0x81, 0x02}, {"10", 32, 0x63, 0x81, 0x03}};
  for (const Chip& c : kChips) {
    for (const Setting& s : settings) {
      SCOPED_TRACE(std::string(c.device) + " pwm " + s.bits);
      const std::string normalMode = c.split ? "TCCR2A = 0\n" : "TCCR2 = TCCR2 And 7\n";
      auto run = RunBasic(std::string("$device = ") + c.device + "\n$clock = 8\n$stack = 32\n$timer2 = pwm, " + s.bits +
                              ", normal\nDim t As Byte, i As Byte, a As Byte, b As Byte\n" +
                              (c.split ? "a = TCCR2A : b = TCCR2B\n" : "a = TCCR2\n") + normalMode +
                              "For i = 1 To 40\nNext\nt = TCNT2\nEnd\n",
                          c.mcu);
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      if (c.split) {
        EXPECT_EQ(run->Byte("a"), s.a);
        EXPECT_EQ(run->Byte("b"), s.b);
      } else {
        EXPECT_EQ(run->Byte("a"), s.classic);
      }
      // (simavr's ATmega8 Timer2 does not divide by 32: its register value is checked above)
      if (!c.split && s.prescale == 32) continue;
      // (the start-up code and the register reads before the switch take under 60 cycles)
      const long expected = static_cast<long>(run->sim->Cycles() / static_cast<std::uint64_t>(s.prescale));
      ASSERT_LT(expected, 250) << "the count must not have overflowed";
      EXPECT_LE(std::labs(static_cast<long>(run->Byte("t")) - expected), 60 / s.prescale + 1)
          << "TCNT2 " << static_cast<int>(run->Byte("t")) << " after " << run->sim->Cycles() << " cycles";
    }
  }
}

// Timer0's waveform and output bits go to TCCR0A where the chip has no TCCR0.
TEST(MetaTimerSim, Timer0ControlRegisterOnTheNewerMegas) {
  for (const Chip& c : kChips) {
    if (std::string(c.device) == "m8") continue;  // no PWM on its Timer0
    SCOPED_TRACE(c.device);
    auto run = RunBasic(std::string("$device = ") + c.device +
                            "\n$clock = 8\n$stack = 32\n$timer0 = fastpwm, pwma = normal, pwmb = inverted\n"
                            "Dim a As Byte\na = TCCR0A\nEnd\n",
                        c.mcu);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Byte("a"), 179);
  }
}

// On the chips with TCCR0A/TCCR0B the mode and compare-output bits of the classic layout
// land in TCCR0A (WGM01 WGM00, OC0A's pair) and the clock select in TCCR0B.
TEST(MetaTimerSim, Timer0BitsWhereTheNewerMegasHaveThem) {
  struct Setting {
    const char* line;
    std::uint8_t a, b;
  } settings[] = {
      {"timer, compare = toggle, clear", 0x42, 0}, {"pwm, normal", 0x81, 0},
      {"pwm, inverted, clear", 0xC3, 0},           {"pwm, normal, compare = disconnect", 0x01, 0},
      {"counter, falling, compare = set", 0xC0, 2}, {"fastpwm, pwma = normal, pwmb = inverted", 0xB3, 0},
  };
  for (const char* chip : {"m88", "m2560"}) {
    for (const Setting& s : settings) {
      SCOPED_TRACE(std::string(chip) + ": " + s.line);
      auto run = RunBasic(std::string("$device = ") + chip + "\n$clock = 8\n$stack = 32\n$timer0 = " + s.line +
                              "\nDim a As Byte, b As Byte\na = TCCR0A : b = TCCR0B\nEnd\n",
                          chip);
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(run->Byte("a"), s.a);
      EXPECT_EQ(run->Byte("b"), s.b);
    }
  }
}

// The classic chips keep Timer0's mode, output and clock bits in TCCR0 itself (FOC0 WGM00
// COM01 COM00 WGM01 CS02..CS00): fast PWM is WGM00 and WGM01, and pwma is the output mode of
// OC0, their only output.
TEST(MetaTimerSim, Timer0BitsWhereTheClassicMegasHaveThem) {
  struct Setting {
    const char* line;
    std::uint8_t tccr0;
  } settings[] = {
      {"fastpwm, pwma = normal", 0x68}, {"fastpwm, pwma = inverted", 0x78}, {"fastpwm", 0x48},
      {"pwm, normal", 0x60},            {"timer, compare = toggle, clear", 0x18},
  };
  for (const char* chip : {"m16", "m32"}) {
    for (const Setting& s : settings) {
      SCOPED_TRACE(std::string(chip) + ": " + s.line);
      auto run = RunBasic(std::string("$device = ") + chip + "\n$clock = 8\n$stack = 32\n$timer0 = " + s.line +
                              "\nDim a As Byte\na = TCCR0\nEnd\n",
                          std::string("atmega") + (chip + 1));
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      EXPECT_EQ(run->Byte("a"), s.tccr0);
    }
  }
}

// Timer0 set to clear on compare match, then given a clock: it counts from 0 to OCR0A and
// starts again, raising the compare flag. (simavr also raises the overflow flag at that
// wrap, so the flag does not tell the modes apart; the count does.)
TEST(MetaTimerSim, Timer0ClearsOnCompareMatchOnTheNewerMegas) {
  for (const Chip& c : kChips) {
    if (!c.split) continue;
    SCOPED_TRACE(c.device);
    auto run = RunBasic(std::string("$device = ") + c.device +
                            "\n$clock = 8\n$stack = 32\n$timer0 = timer, compare = toggle, clear\n"
                            "Dim t As Byte, m As Byte, f As Byte, i As Byte\n"
                            "OCR0A = 99 : TIFR0 = 255 : TCCR0B = 1\n"
                            "m = 0\nFor i = 1 To 200\n  t = TCNT0\n  If t > m Then m = t\nNext\nf = TIFR0\nEnd\n",
                        c.mcu);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    ASSERT_GT(run->sim->Cycles(), 1000u) << "the loop ran past several compare periods";
    EXPECT_LE(run->Byte("m"), 99) << "the count went past OCR0A";
    EXPECT_GE(run->Byte("m"), 80);
    EXPECT_EQ(run->Byte("f") & 0x02, 0x02) << "OCF0A set";
  }
}

// A counter counts the edges of its timer's clock input and nothing else: with no edge on
// any pin, each counter of the m328p reads 0 after a millisecond. Timer0 and Timer1 count
// T0 (PD4) and T1 (PD5): clock select 7, rising edges. Timer2 has no clock input, and its
// clock select 7 divides the clock by 1024 (Counter2 read 7): its counter is refused at
// its line.
TEST(MetaTimerSim, ACounterCountsItsClockInputOnly) {
  struct Case {
    int timer;
    const char* clockRegister;  // data address of its clock select
    bool input;                 // the timer has a clock input
  } cases[] = {{0, "0x45", true}, {1, "0x81", true}, {2, "0xB1", false}};
  for (const Case& c : cases) {
    const std::string n = std::to_string(c.timer);
    SCOPED_TRACE("Timer" + n);
    const std::string program = "$device = m328p\n$clock = 8\n$stack = 32\n$timer" + n +
                                " = counter, rising\nDim Quiet As Word, Clocksel As Byte\nCounter" + n + " = 0\nStart Timer" +
                                n + "\nWaitms 1\nQuiet = Counter" + n + "\n$asm\n  lds r16," + c.clockRegister +
                                "\n  sts clocksel,r16\n$end asm\nEnd\n";
    if (!c.input) {
      const CompiledBasic refused = CompileBasic(program);
      EXPECT_EQ(refused.error_count, 1) << refused.report;
      EXPECT_TRUE(refused.StartsWithError("Unexisting feature!", 4)) << refused.report;
      continue;
    }
    auto run = RunBasic(program, "atmega328p");
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->Word("quiet"), 0);
    EXPECT_EQ(run->Byte("clocksel") & 0x07, 7);
  }
}

}  // namespace
}  // namespace qbc::test
