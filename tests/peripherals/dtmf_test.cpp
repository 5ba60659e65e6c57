// DTMF on the simulator: the compare values the Timer1 overflow handler writes are sampled
// and each tone burst's two strongest tones found by DFT; every key gives its row and
// column frequency within 1.5 % on the ATmega8 and ATmega88 at 4, 8, 16 and 20 MHz (941 Hz
// at 20 MHz within 1.75 %, see below). The handler runs only while a tone plays, so For
// loops, float arithmetic and the program's own interrupt settings around DTMF are those
// of the same program without it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/dtmf_analyser.h"

namespace qbc::test {
namespace {

constexpr int kTones[16][2] = {{941, 1336}, {697, 1209}, {697, 1336}, {697, 1477}, {770, 1209}, {770, 1336},
                               {770, 1477}, {852, 1209}, {852, 1336}, {852, 1477}, {697, 1633}, {770, 1633},
                               {852, 1633}, {941, 1633}, {941, 1209}, {941, 1477}};

// The data address of OCR1AL.
std::uint32_t Ocr1al(const std::string& device) { return device == "m88" ? 0x88 : 0x4A; }

TEST(Dtmf, EveryKeyGivesItsTwoTones) {
  for (const char* device : {"m8", "m88"}) {
    for (const int mhz : {4, 8, 16, 20}) {
      SCOPED_TRACE(std::string(device) + " at " + std::to_string(mhz) + " MHz");
      const std::string src = "$device = " + std::string(device) + "\n$clock = " + std::to_string(mhz) +
                              "\n$stack = 32\n$dtmf = portb.1, 30\nDim I As Byte\n"
                              "For I = 0 To 15\nDtmf(I)\nWaitms 1\nNext\nEnd\n";
      DtmfAnalyser ear(mhz);
      auto run = RunBasic(src, device, 40'000'000, [&](SimRunner& sim) { ear.Watch(sim, Ocr1al(device)); });
      ASSERT_TRUE(run->ok) << run->Diagnostics();
      // One sample per PWM period of 510 cycles, for 30 ms and the cycles the handler
      // takes from the wait.
      // (an interrupt waits for the instruction under way: a few cycles late at most).
      EXPECT_GE(ear.LongestSampleStep(), 510u);
      EXPECT_LE(ear.LongestSampleStep(), 514u);
      const auto bursts = ear.Bursts();
      ASSERT_EQ(bursts.size(), 16u);
      for (int key = 0; key < 16; ++key) {
        SCOPED_TRACE("key code " + std::to_string(key));
        const double samples = 30e3 * mhz / 510.0;
        EXPECT_GE(static_cast<double>(ear.BurstLengths()[key]), samples);
        EXPECT_LE(static_cast<double>(ear.BurstLengths()[key]), samples * 1.35);
        // At 20 MHz the phase step nearest to 941 Hz is 25, which plays 957.4 Hz: 1.74 %
        // high, the only tone beyond 1.5 % at any of these clocks.
        const double rowTolerance = mhz == 20 && kTones[key][0] == 941 ? 0.0175 : 0.015;
        EXPECT_NEAR(bursts[key].first, kTones[key][0], kTones[key][0] * rowTolerance);
        EXPECT_NEAR(bursts[key].second, kTones[key][1], kTones[key][1] * 0.015);
      }
    }
  }
}

// The same loop of float and For work, with and without a tone in each pass, with the
// program's interrupts on: every result and the interrupt settings agree.
TEST(Dtmf, LoopsAndFloatsAroundItAreUnchanged) {
  for (const char* device : {"m8", "m88"}) {
    SCOPED_TRACE(device);
    auto program = [&](bool dtmf) {
      return "$device = " + std::string(device) + "\n$clock = 8\n$stack = 48\n" +
             (dtmf ? "$dtmf = portb.1, 2\n" : "") +
             "Dim I As Byte, J As Word, N As Word, S As Integer, Fa As Float, Fb As Float\n"
             "Enable Interrupts\nN = 300\nFa = 0.5\nFb = 1\n"
             "For I = 1 To 12\n" +
             (dtmf ? "Dtmf(I)\n" : "") +
             "For J = 100 To N Step 50\nS = S + J\nNext\n"
             "Fa = Fa * 1.25 + 0.75\nFb = Fb / 1.5\n" +
             (dtmf ? "Dtmf(I)\n" : "") + "Fa = Fa - Fb\nNext\nEnd\n";
    };
    auto with = RunBasic(program(true), device, 20'000'000);
    auto without = RunBasic(program(false), device, 20'000'000);
    ASSERT_TRUE(with->ok) << with->Diagnostics();
    ASSERT_TRUE(without->ok) << without->Diagnostics();
    EXPECT_EQ(with->Byte("i"), without->Byte("i"));
    EXPECT_EQ(with->Integer("s"), without->Integer("s"));
    EXPECT_EQ(with->FloatBits("fa"), without->FloatBits("fa"));
    EXPECT_EQ(with->FloatBits("fb"), without->FloatBits("fb"));
    EXPECT_EQ(with->sim->Sreg() & 0x80, 0x80);
  }
}

// On the m128 with the library above the first 64 KB, after a read of a table below it:
// the key's increments and the sine samples come from their own page.
TEST(Dtmf, TablesAboveTheFirst64KBytes) {
  const std::string src =
      "$device = m128\n$clock = 8\n$stack = 32\n$dtmf = portb.1, 20\nDim Keys(2) As Flash Byte, B As Byte\n"
      "B = Keys(1)\nDtmf(B)\nEnd\nKeys = 1, 5\n$asm\n.ORG 0x8100\n$end asm\n";
  DtmfAnalyser ear(8);
  auto run = RunBasic(src, "m128", 4'000'000, [&](SimRunner& sim) { ear.Watch(sim, Ocr1al("m128")); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 5);
  ASSERT_EQ(ear.Bursts().size(), 1u);
  EXPECT_NEAR(ear.Bursts()[0].first, 770, 770 * 0.015);
  EXPECT_NEAR(ear.Bursts()[0].second, 1336, 1336 * 0.015);
}

// Without interrupts enabled by the program the tones still play, and the program ends
// with interrupts off as it had them.
TEST(Dtmf, PlaysWithTheProgramsInterruptsOff) {
  DtmfAnalyser ear(8);
  auto run = RunBasic("$device = m8\n$clock = 8\n$stack = 32\n$dtmf = portb.1, 20\nDtmf(5)\nEnd\n", "m8", 2'000'000,
                      [&](SimRunner& sim) {
                        ear.Watch(sim, Ocr1al("m8"));
                        sim.WatchPin('B', 1);
                      });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  ASSERT_EQ(ear.Bursts().size(), 1u);
  EXPECT_NEAR(ear.Bursts()[0].first, 770, 770 * 0.015);
  EXPECT_EQ(run->sim->Sreg() & 0x80, 0);
  // The Timer1 overflow interrupt is off again (TOIE1 of TIMSK, data address 0x59).
  EXPECT_EQ(run->sim->Sram(0x59) & 0x04, 0);
}

// OC1A carries the tone whatever pin $dtmf names: it is made an output.
TEST(Dtmf, Oc1aIsTheOutput) {
  struct Case {
    const char* device;
    const char* pin;
    char port;
    int bit;
  };
  const std::vector<Case> cases = {
      {"m8", "portb.3", 'B', 1}, {"m88", "portd.2", 'B', 1}, {"m16", "portb.1", 'D', 5}, {"m128", "portb.1", 'B', 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    const std::string src = "$device = " + std::string(c.device) + "\n$clock = 8\n$stack = 32\n$dtmf = " + c.pin +
                            ", 2\nDtmf(1)\nEnd\n";
    auto run = RunBasic(src, c.device, 2'000'000);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_TRUE(run->sim->PinIsOutput(c.port, c.bit));
  }
}

// Key codes from a variable beyond the sixteen keys: the routine keeps the low four bits,
// so every burst plays one key's tones from the table (20 plays key 4, 255 key 15, 16
// key 0), never frequencies read from beyond it.
TEST(Dtmf, ARunTimeKeyOutsideTheTablePlaysAKeyOfTheTable) {
  DtmfAnalyser ear(8);
  auto run = RunBasic("$device = m8\n$clock = 8\n$stack = 32\n$dtmf = portb.1, 20\nDim K As Byte\n"
                      "K = 20\nDtmf(K)\nWaitms 1\nK = 255\nDtmf(K)\nWaitms 1\nK = 16\nDtmf(K)\nEnd\n",
                      "m8", 10'000'000, [&](SimRunner& sim) { ear.Watch(sim, Ocr1al("m8")); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  const auto bursts = ear.Bursts();
  ASSERT_EQ(bursts.size(), 3u);
  const int keys[] = {4, 15, 0};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE("burst " + std::to_string(i));
    EXPECT_NEAR(bursts[i].first, kTones[keys[i]][0], kTones[keys[i]][0] * 0.015);
    EXPECT_NEAR(bursts[i].second, kTones[keys[i]][1], kTones[keys[i]][1] * 0.015);
  }
}

// The tone needs Timer1's 16-bit PWM on an OC1A pin: the tiny25/45/85 and tiny26 Timer1
// (eight bits, TCCR1A and TCCR1B in another layout or none, no OCR1AH) and the ATmega406's
// (no output) are refused at the $dtmf line; they failed in the assembler.
TEST(Dtmf, RefusedWhereTimer1CannotMakeIt) {
  for (const char* device : {"tn25", "tn45", "tn85", "tn26", "m406"}) {
    SCOPED_TRACE(device);
    const auto compiled =
        CompileBasic("$device = " + std::string(device) + "\n$clock = 8\n$stack = 32\n$dtmf = portb.1, 20\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("DTMF needs Timer1's 16-bit PWM on OC1A!", 4)) << compiled.report;
  }
}

// The tone comes out on the chip's own OC1A pin, PB3 on the tiny2313 (the pin list gave
// none, and the named PB1 was made an output instead), with the key's two tones.
TEST(Dtmf, TheToneComesOutOnTheChipsOwnOc1aPin) {
  DtmfAnalyser ear(8);
  auto run = RunBasic("$device = tn2313\n$clock = 8\n$stack = 32\n$dtmf = portb.1, 30\nDtmf(5)\nEnd\n", "attiny2313",
                      4'000'000, [&](SimRunner& sim) { ear.Watch(sim, 0x4A); });
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Sram(0x37) & 0x0A, 0x08);  // DDRB: PB3 an output, PB1 not
  const auto bursts = ear.Bursts();
  ASSERT_EQ(bursts.size(), 1u);
  EXPECT_NEAR(bursts[0].first, kTones[5][0], kTones[5][0] * 0.015);
  EXPECT_NEAR(bursts[0].second, kTones[5][1], kTones[5][1] * 0.015);
}

TEST(Dtmf, RefusedClocks) {
  const auto slow = CompileBasic("$device = m8\n$clock = 3.2\n$stack = 32\n$dtmf = portb.1, 20\nEnd\n");
  EXPECT_TRUE(slow.StartsWithError("DTMF needs a clock of 3.34 MHz or more!", 4)) << slow.report;
  const auto fast = CompileBasic("$device = m8\n$clock = 3.4\n$stack = 32\n$dtmf = portb.1, 20\nEnd\n");
  EXPECT_EQ(fast.error_count, 0) << fast.report;
}

}  // namespace
}  // namespace qbc::test
