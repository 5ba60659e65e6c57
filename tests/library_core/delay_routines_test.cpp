// Delay routines: loop constants from the clock, and the time they take on the simulator.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compiler/library/core/delay_routines.h"
#include "tests/library_core/routine_fixture.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

bool Has(const std::string& text, const std::string& line) { return text.find("\r\n" + line + "\r\n") != std::string::npos; }

using test::bench::Count;

struct ClockCase {
  float mhz;
  const char* wusCount;  // r22 of _wus
  const char* w5Count;   // r21 of _W5
};

// _Wms and _Wmu are timed on the simulator below.
TEST(DelayConstants, FollowTheClock) {
  const ClockCase cases[] = {
      {1.0f, "2", "1"},  // _W5: (4 - 7) / 3 = -1; the shortest loop instead of 255 passes
      {2.0f, "6", "1"},  // _W5: (8 - 7) / 3 rounds to 0, which the text turns into 1
      {4.0f, "12", "3"},   {8.0f, "25", "8"},   {15.0f, "49", "18"},
      {16.0f, "52", "19"}, {20.0f, "65", "24"}, {20.5f, "67", "25"},
  };
  for (const auto& c : cases) {
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

constexpr float kClocks[] = {0.032768f, 0.128f, 1.0f, 1.2f, 1.8432f, 2.0f, 3.6864f, 4.0f, 4.9152f, 7.3728f, 8.0f,
                              9.6f, 11.0592f, 12.0f, 14.7456f, 16.0f, 18.432f, 20.0f};

// A count loaded into zl (and zh for the word entry) and the routine called.
struct Call {
  long count;
  const char* label;
};

// The cycles of each call, from the load of its count to its return, in one run: a pin
// turns before and after each.
std::vector<double> CallCycles(float mhz, const std::vector<Call>& calls) {
  CompilerState st;
  st.ResetCompilerGlobals();
  st.cfg.CrystalFrequency = mhz;
  EmitWaitmsRoutine(st);
  EmitWaitMicroRoutine(st);
  std::string program = ".include \"m88def.inc\"\n.org 0\n"
                        "\t\tldi\tr16,low(RAMEND)\n\t\tout\tSPL,r16\n\t\tldi\tr16,high(RAMEND)\n\t\tout\tSPH,r16\n"
                        "\t\tsbi\tDDRB,0\n\t\tsbi\tPORTB,0\n\t\tcbi\tPORTB,0\n";
  bool high = false;
  for (const Call& c : calls) {
    program += "\t\tldi\tzl," + std::to_string(c.count & 255) + "\n";
    if (c.count > 255) program += "\t\tldi\tzh," + std::to_string(c.count >> 8) + "\n";
    program += std::string("\t\trcall\t") + c.label + "\n";
    high = !high;
    program += high ? "\t\tsbi\tPORTB,0\n" : "\t\tcbi\tPORTB,0\n";
  }
  program += "done:\trjmp\tdone\n" + st.out.Str();
  auto a = test::AssembleAsm(program);
  EXPECT_TRUE(a.ok) << a.output;
  if (!a.ok) return {};
  test::SimRunner sim({.mcu = "m88", .frequency = static_cast<std::uint32_t>(mhz * 1e6f), .max_cycles = 100'000'000});
  EXPECT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  sim.WatchPin('B', 0);
  EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
  std::vector<std::uint64_t> at;
  for (const auto& e : sim.PinEdges('B', 0)) at.push_back(e.cycle);
  EXPECT_GE(at.size(), calls.size() + 2);
  if (at.size() < calls.size() + 2) return {};
  at.erase(at.begin(), at.end() - static_cast<std::ptrdiff_t>(calls.size() + 2));
  std::vector<double> took;
  for (std::size_t i = 0; i < calls.size(); ++i)
    took.push_back(static_cast<double>(at[i + 2] - at[i + 1]) - static_cast<double>(at[1] - at[0]));
  return took;
}

// _Wmu: a count lasts its microseconds to the nearest cycle from the load of the count to
// the return, also where a microsecond is no whole number of cycles or less than the
// shortest loop pass (the pass's fraction is kept to 1/256 of a cycle: a few cycles in a
// long wait); a count too small for the routine's own cycles returns at once, and every
// larger count is exact. The word entry takes 16 bits (a watch crystal tests them all on
// its way).
TEST(DelayTiming, WaitMicrosecondsAtEveryClock) {
  const std::vector<long> counts = {0, 1, 2, 5, 27, 28, 100, 255, 256, 1000, 10000, 65535};
  for (const float mhz : kClocks) {
    std::vector<Call> calls;
    for (const long n : counts) calls.push_back({n, n > 255 ? "_WmuW" : "_Wmu"});
    const std::vector<double> took = CallCycles(mhz, calls);
    ASSERT_EQ(took.size(), calls.size()) << mhz << " MHz";
    const double shortest = took[0];
    EXPECT_LE(shortest, 16.0) << mhz << " MHz";
    bool exact = false;
    for (std::size_t i = 1; i < counts.size(); ++i) {
      const double want = static_cast<double>(counts[i]) * mhz;
      if (std::abs(took[i] - want) <= 0.75 + want * 3e-4) {
        exact = true;
        continue;
      }
      EXPECT_FALSE(exact) << mhz << " MHz, " << counts[i] << " us: " << took[i] << " cycles after a smaller count was exact";
      EXPECT_EQ(took[i], shortest) << mhz << " MHz, " << counts[i] << " us";
    }
    EXPECT_TRUE(exact) << mhz << " MHz";
  }
}

// _Wms: n milliseconds from the load of the count to the return, to the nearest cycle of
// each millisecond, the call's own cycles taken off the first.
TEST(DelayTiming, WaitMillisecondsAtEveryClock) {
  for (const float mhz : kClocks) {
    const std::vector<double> took = CallCycles(mhz, {{1, "_Wms"}, {3, "_Wms"}});
    ASSERT_EQ(took.size(), 2u) << mhz << " MHz";
    EXPECT_NEAR(took[0], 1000.0 * mhz, 0.5) << mhz << " MHz, 1 ms";
    EXPECT_NEAR(took[1], 3000.0 * mhz, 1.5) << mhz << " MHz, 3 ms";
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
