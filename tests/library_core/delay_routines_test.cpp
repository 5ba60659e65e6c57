// Delay routines: loop constants from the clock, and the time they take on the simulator.
#include <gtest/gtest.h>

#include <string>

#include "compiler/library/core/delay_routines.h"
#include "tests/library_core/routine_fixture.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

bool Has(const std::string& text, const std::string& line) { return text.find("\r\n" + line + "\r\n") != std::string::npos; }

using test::bench::Count;

struct ClockCase {
  float mhz;
  const char* wmsCount;  // r21 of _Wms
  std::size_t nops;
  const char* wusCount;  // r22 of _wus
  const char* w5Count;   // r21 of _W5
};

TEST(DelayConstants, FollowTheClock) {
  const ClockCase cases[] = {
      // 16.6 per MHz up to 15 MHz, 12.4 with one nop up to 20 MHz, 10 with two above.
      {1.0f, "11", 0, "2", "1"},  // _W5: (4 - 7) / 3 = -1; the shortest loop instead of 255 passes
      {2.0f, "21", 0, "6", "1"},  // _W5: (8 - 7) / 3 rounds to 0, which the text turns into 1
      {4.0f, "42", 0, "12", "3"},
      {8.0f, "85", 0, "25", "8"},
      {15.0f, "F9", 0, "49", "18"},
      {16.0f, "C6", 1, "52", "19"},
      {20.0f, "F8", 1, "65", "24"},
      {20.5f, "CD", 2, "67", "25"},
  };
  for (const auto& c : cases) {
    const std::string wms = test::EmittedText(EmitWaitmsRoutine, false, c.mhz);
    EXPECT_TRUE(Has(wms, std::string("_Wms1:\tldi\t\tr21,0x") + c.wmsCount)) << c.mhz << " MHz\n" << wms;
    EXPECT_EQ(Count(wms, "\t\tnop\r\n"), c.nops) << c.mhz << " MHz";
    const std::string wus = test::EmittedText(EmitWaitusRoutine, false, c.mhz);
    EXPECT_TRUE(Has(wus, std::string("_wus0:\tldi\t\tr22,") + c.wusCount)) << c.mhz << " MHz\n" << wus;
    const std::string w5 = test::EmittedText(EmitWait5usRoutine, false, c.mhz);
    EXPECT_TRUE(Has(w5, std::string("_W5:\tldi\t\tr21,") + c.w5Count)) << c.mhz << " MHz\n" << w5;
  }
}

TEST(DelayConstants, HeadersAndClockFreeRoutines) {
  EXPECT_EQ(test::EmittedText(EmitWaitTicksRoutine, false),
            "\r\n;////// Wait r23 ticks /////////////////////\r\n_Wtic:\tdec\t\tr23\r\n\t\tbrne\t_Wtic\r\n\t\tret\r\n");
  EXPECT_EQ(test::EmittedText(EmitWaitsRoutine, false, 4.0f), test::EmittedText(EmitWaitsRoutine, false, 16.0f));
  EXPECT_TRUE(Has(test::EmittedText(EmitWaitmsRoutine, false), ";////// _Waitms ///////////////////////////"));
  EXPECT_TRUE(Has(test::EmittedText(EmitWaitusRoutine, false), ";////// _waitus ///////////////////////////"));
  EXPECT_TRUE(Has(test::EmittedText(EmitWait5usRoutine, false), ";////// Wait 5us //////////////////////////"));
  EXPECT_TRUE(Has(test::EmittedText(EmitWaitsRoutine, false), ";////// _Waits ////////////////////////////"));
}

// Cycles of a program that sets `setup` up, calls `label` and stops; the delay routines
// of the clock follow it.
std::uint64_t CyclesOf(float mhz, const std::string& setup, const std::string& label, bool countsZl = true) {
  CompilerState st;
  st.ResetCompilerGlobals();
  st.cfg.CrystalFrequency = mhz;
  EmitWaitmsRoutine(st);
  EmitWaitusRoutine(st);
  EmitWaitMicroRoutine(st);
  EmitWait5usRoutine(st);
  EmitWaitsRoutine(st);
  EmitWaitTicksRoutine(st);
  std::string program = ".include \"m88def.inc\"\n.org 0\n"
                        "\t\tldi\tr16,low(RAMEND)\n\t\tout\tSPL,r16\n\t\tldi\tr16,high(RAMEND)\n\t\tout\tSPH,r16\n" +
                        setup + "\t\trcall\t" + label + "\ndone:\trjmp\tdone\n" + st.out.Str();
  auto a = test::AssembleAsm(program);
  EXPECT_TRUE(a.ok) << a.output;
  if (!a.ok) return 0;
  test::SimRunner sim({.mcu = "m88", .frequency = static_cast<std::uint32_t>(mhz * 1e6f), .max_cycles = 30'000'000});
  EXPECT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
  if (countsZl) {
    EXPECT_EQ(sim.Reg(30), 0) << label << ": zl is 0 at exit";
  }
  return sim.Cycles();
}

TEST(DelayTiming, WaitMs100At8MHzLasts100Ms) {
  const double ms = static_cast<double>(CyclesOf(8.0f, "\t\tldi\tzl,100\n", "_Wms")) / 8000.0;
  EXPECT_NEAR(ms, 100.0, 1.0);
}

TEST(DelayTiming, WaitMsAt16And20MHz) {
  EXPECT_NEAR(static_cast<double>(CyclesOf(16.0f, "\t\tldi\tzl,20\n", "_Wms")) / 16000.0, 20.0, 0.2);
  EXPECT_NEAR(static_cast<double>(CyclesOf(20.0f, "\t\tldi\tzl,20\n", "_Wms")) / 20000.0, 20.0, 0.2);
}

TEST(DelayTiming, WaitSecondsAt8MHz) {
  EXPECT_NEAR(static_cast<double>(CyclesOf(8.0f, "\t\tldi\tzl,1\n", "_Ws")) / 8e6, 1.0, 0.01);
}

TEST(DelayTiming, WaitUsUnitsAreAboutTenMicroseconds) {
  EXPECT_NEAR(static_cast<double>(CyclesOf(8.0f, "\t\tldi\tzl,100\n", "_Wus")) / 8.0, 1000.0, 30.0);
}

// _Wmu: every count costs its microseconds in cycles, to the nearest cycle, beyond one
// fixed overhead, also where a microsecond is no whole number of cycles or less than the
// shortest loop pass.
TEST(DelayTiming, WaitMicrosecondsAtEveryClock) {
  for (const float mhz : {0.032768f, 1.0f, 1.8432f, 2.0f, 3.6864f, 4.0f, 4.9152f, 7.3728f, 8.0f, 11.0592f, 12.0f,
                          14.7456f, 16.0f, 18.432f, 20.0f}) {
    const std::uint64_t none = CyclesOf(mhz, "\t\tldi\tzl,0\n", "_Wmu");
    // (a watch crystal tests all eight bits of the count on its way)
    EXPECT_LE(none, mhz < 1.0f ? 40u : 30u) << mhz << " MHz: the fixed overhead";
    for (const int n : {1, 2, 3, 5, 7, 10, 99, 100, 200, 255}) {
      const double got = static_cast<double>(CyclesOf(mhz, "\t\tldi\tzl," + std::to_string(n) + "\n", "_Wmu") - none);
      EXPECT_NEAR(got, n * static_cast<double>(mhz), 1.0) << mhz << " MHz, " << n << " us";
    }
  }
}

TEST(DelayTiming, Wait5usIsShortAlsoOnASlowClock) {
  // Call, load, loop and return: about 4 us of cycles at 8 MHz.
  EXPECT_LE(CyclesOf(8.0f, "", "_W5", false), 31u + 12u);
  // At 1 MHz the formula's -1 would have made 255 passes (about 770 us).
  EXPECT_LE(CyclesOf(1.0f, "", "_W5", false), 10u + 12u);
}

TEST(DelayTiming, ACountOfZeroWaitsNothing) {
  // Left to count down from 0 the loops would run 256 times: 256 ms, 2.5 ms, 256 s.
  for (const char* label : {"_Wms", "_Wus", "_Wmu", "_Ws"}) EXPECT_LE(CyclesOf(8.0f, "\t\tldi\tzl,0\n", label), 30u) << label;
}

}  // namespace
}  // namespace qbc
