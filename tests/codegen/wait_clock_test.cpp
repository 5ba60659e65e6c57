// WaitUs, WaitMs and Wait at the clocks chips run at, the 1 MHz (1.2 MHz on the tiny13)
// they leave the factory with among them: the cycles each statement takes, its count's
// load and its call included, measured on the simulator between edges of a pin.
// QBC_EXHAUSTIVE_TESTS=1 goes through fifteen more clocks, down to a watch crystal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

bool Exhaustive() { return std::getenv("QBC_EXHAUSTIVE_TESTS") != nullptr; }

struct Chip {
  const char* device;  // $device
  const char* sim;     // simavr
  // The runner's reset fill would reach the simulator's stack pointer high byte on the
  // tiny13, which has none: there the registers start cleared.
  bool resetFill = true;
};
constexpr Chip kM88{"m88", "atmega88"};
constexpr Chip kTiny13{"tn13", "attiny13", false};
constexpr Chip kM2560{"m2560", "atmega2560"};  // call and a three-byte return address

// The cycles each of `statements` takes at `clock` MHz (written as the program writes it):
// an edge of PB0 before and after each, less the cycles of two edges with nothing between.
std::vector<std::int64_t> StatementCycles(const Chip& chip, const std::string& clock, const std::string& setup,
                                          const std::vector<std::string>& statements) {
  std::string program = std::string("$device = ") + chip.device + "\n$clock = " + clock +
                        "\n$stack = 16\n" + setup + "\nDdrb = 1\nPortb = 1\nPortb = 0\n";
  int level = 0;
  for (const std::string& s : statements) {
    level ^= 1;
    program += s + "\nPortb = " + std::to_string(level) + "\n";
  }
  program += "End\n";
  const double mhz = std::stod(clock);
  auto run = RunBasicWith(program, {.mcu = chip.sim, .frequency = static_cast<std::uint32_t>(std::lround(mhz * 1e6)),
                                    .max_cycles = 400'000'000, .chip_reset_state = chip.resetFill},
                          {}, [](SimRunner& sim) { sim.WatchPin('B', 0); });
  if (!run->ok) {
    ADD_FAILURE() << run->Diagnostics();
    return {};
  }
  std::vector<std::uint64_t> at;
  for (const auto& e : run->sim->PinEdges('B', 0)) at.push_back(e.cycle);
  if (at.size() < statements.size() + 2) {
    ADD_FAILURE() << at.size() << " edges for " << statements.size() << " statements";
    return {};
  }
  at.erase(at.begin(), at.end() - static_cast<std::ptrdiff_t>(statements.size() + 2));
  const std::int64_t nothing = static_cast<std::int64_t>(at[1] - at[0]);
  std::vector<std::int64_t> took;
  for (std::size_t i = 0; i < statements.size(); ++i)
    took.push_back(static_cast<std::int64_t>(at[i + 2] - at[i + 1]) - nothing);
  return took;
}

struct Clock {
  const char* text;
  int leastMicroseconds;  // WaitUs waits every constant count from this one on to the cycle
};

// The clocks of the CI run; the exhaustive run adds crystals and oscillators of every kind,
// down to the 128 kHz oscillator and a watch crystal.
std::vector<Clock> Clocks() {
  std::vector<Clock> clocks = {{"1", 27}, {"1.2", 28}, {"8", 3}};
  if (Exhaustive()) {
    const std::vector<Clock> more = {{"0.032768", 1511}, {"0.128", 403}, {"1.8432", 16}, {"2", 11},
                                     {"3.6864", 7}, {"4", 5}, {"4.9152", 5}, {"7.3728", 3}, {"9.6", 2},
                                     {"11.0592", 2}, {"12", 2}, {"14.7456", 2}, {"16", 2}, {"18.432", 2},
                                     {"20", 1}};
    clocks.insert(clocks.end(), more.begin(), more.end());
  }
  return clocks;
}

double Percent(std::int64_t took, double want) { return 100.0 * (static_cast<double>(took) - want) / want; }

// Every constant count from 0 to 255: from the least count the routine can make each wait
// lasts its microseconds to within a cycle (the nearest cycle, less the 1/256 of a cycle a
// loop pass's fraction is rounded to); below it, no longer than the least.
TEST(WaitClock, WaitUsConstantsLastTheirMicroseconds) {
  for (const Clock& c : Clocks()) {
    const double mhz = std::stod(c.text);
    std::vector<std::string> waits;
    for (int n = 0; n < 256; ++n) waits.push_back("Waitus " + std::to_string(n));
    const auto took = StatementCycles(kM88, c.text, "", waits);
    ASSERT_EQ(took.size(), waits.size()) << c.text << " MHz";
    for (int n = 0; n < 256; ++n) {
      const double want = n * mhz;
      if (n >= c.leastMicroseconds)
        EXPECT_NEAR(static_cast<double>(took[n]), want, 1.0) << c.text << " MHz, Waitus " << n;
      else
        EXPECT_LE(static_cast<double>(took[n]), c.leastMicroseconds * mhz + 1.0) << c.text << " MHz, Waitus " << n;
    }
  }
}

// Counts in variables, a byte and words past 256 us where the count's high byte turns,
// also on the chips with a longer call and return; milliseconds and seconds. Every one
// within 2 % (a variable's load takes a cycle or two more than a constant's, and a Word
// count of milliseconds tests its high byte: 7 cycles, a fifth of a millisecond at a watch
// crystal's clock).
TEST(WaitClock, VariablesMillisecondsAndSecondsWithinTwoPercent) {
  struct Case {
    Chip chip;
    Clock clock;
  };
  std::vector<Case> cases = {{kTiny13, {"1.2", 28}}, {kM2560, {"1", 29}}, {kM2560, {"16", 2}}};
  for (const Clock& c : Clocks()) cases.push_back({kM88, c});
  const std::string setup = "Dim B1 As Byte, B2 As Byte, W1 As Word, W2 As Word, W3 As Word\n"
                            "B1 = 100\nB2 = 250\nW1 = 300\nW2 = 10000\nW3 = 20";
  struct Wait {
    const char* statement;
    double microseconds;
    bool slowOnly;  // only on a chip whose clock runs below 1.5 MHz (CI time)
  };
  const Wait waits[] = {{"Waitus B1", 100, false}, {"Waitus B2", 250, false}, {"Waitus W1", 300, false},
                        {"Waitus W2", 10000, false}, {"Waitms 1", 1e3, false}, {"Waitms 2", 2e3, false},
                        {"Waitms 100", 1e5, false}, {"Waitms W3", 2e4, false}, {"Wait 1", 1e6, true}};
  for (const Case& c : cases) {
    const double mhz = std::stod(c.clock.text);
    std::vector<std::string> statements;
    std::vector<double> want;
    for (const Wait& w : waits) {
      if (w.slowOnly && mhz > 1.5 && !Exhaustive()) continue;
      if (w.microseconds < c.clock.leastMicroseconds) continue;
      statements.push_back(w.statement);
      want.push_back(w.microseconds * mhz);
    }
    const auto took = StatementCycles(c.chip, c.clock.text, setup, statements);
    ASSERT_EQ(took.size(), statements.size()) << c.chip.device << " " << c.clock.text << " MHz";
    for (std::size_t i = 0; i < took.size(); ++i)
      EXPECT_NEAR(Percent(took[i], want[i]), 0.0, 2.0)
          << c.chip.device << " " << c.clock.text << " MHz, " << statements[i] << ": " << took[i] << " cycles";
  }
}

}  // namespace
}  // namespace qbc::test
