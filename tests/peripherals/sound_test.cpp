// Sound on the simulator: the number of periods (ten per group, 0 groups counting 256),
// each half period's length from the microsecond wait (0 counting 256 steps), the idle level with and without
// "inverse", ports in each reach of the instructions, and a group count wider than a byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct SoundCase {
  const char* device;
  const char* sound;  // the $sound line's setting
  char port;
  int bit;
  int idle;
  const char* setup;
  const char* statement;
  int periods;
  int halfUnits;  // the half period in units of the microsecond wait (78 cycles at 8 MHz)
};

TEST(Sound, PeriodsHalfPeriodsAndIdleLevel) {
  const std::vector<SoundCase> cases = {
      {"m8", "portb.1", 'B', 1, 0, "", "Sound 10, 1", 10, 10},
      {"m8", "portb.1", 'B', 1, 0, "B = 4\n", "Sound B, 3", 30, 4},
      {"m8", "portd.7, inverse", 'D', 7, 1, "", "Sound 5, 2", 20, 5},
      // 0 groups are 256 groups; a half period of 0 is the longest, 256 steps, from a
      // constant and from a variable.
      {"m8", "portb.1", 'B', 1, 0, "", "Sound 1, 0", 2560, 1},
      {"m8", "portb.1", 'B', 1, 0, "", "Sound 0, 1", 10, 256},
      {"m8", "portb.1", 'B', 1, 0, "B = 0\n", "Sound B, 1", 10, 256},
      {"m2560", "portk.0, inverse", 'K', 0, 1, "", "Sound 0, 1", 10, 256},
      // A group count wider than a byte: its low byte counts, the half period stays.
      {"m8", "portb.1", 'B', 1, 0, "W = 258\n", "Sound 10, W", 20, 10},
      {"m16", "portc.4", 'C', 4, 0, "", "Sound 4, 2", 20, 4},
      {"m88", "portd.2, inverse", 'D', 2, 1, "", "Sound 8, 1", 10, 8},
      // Extended I/O ports.
      {"m128", "portf.2", 'F', 2, 0, "", "Sound 3, 1", 10, 3},
      {"m128", "portf.6, inverse", 'F', 6, 1, "", "Sound 3, 1", 10, 3},
      {"m2560", "porth.3", 'H', 3, 0, "", "Sound 6, 2", 20, 6},
      {"m2560", "portk.0, inverse", 'K', 0, 1, "", "Sound 2, 1", 10, 2},
  };
  for (const SoundCase& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.sound + ": " + c.statement);
    const std::string p = std::string("$device = ") + c.device + "\n$clock = 8\n$stack = 32\n$sound = " + c.sound +
                          "\nDim B As Byte, W As Word\n" + c.setup + c.statement + "\nEnd\n";
    auto run = RunBasic(p, c.device, 20'000'000, [&](SimRunner& sim) { sim.WatchPin(c.port, c.bit); });
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    std::vector<SimRunner::Edge> edges = run->sim->PinEdges(c.port, c.bit);
    // The start-up code drives the idle level first.
    while (!edges.empty() && edges.front().level == c.idle) edges.erase(edges.begin());
    ASSERT_EQ(edges.size(), 2u * c.periods);
    bool levelsAlternate = true;
    for (std::size_t i = 0; i < edges.size(); ++i) levelsAlternate &= edges[i].level == (i % 2 == 0 ? 1 - c.idle : c.idle);
    EXPECT_TRUE(levelsAlternate);
    // The active half: the wait's units and the few instructions around it (more for
    // the lds/sbr/sts form and the m2560's longer call and return).
    const std::int64_t wait = 78 * c.halfUnits;
    for (std::size_t i = 0; i + 1 < edges.size(); i += 2) {
      const auto active = static_cast<std::int64_t>(edges[i + 1].cycle - edges[i].cycle);
      ASSERT_GE(active, wait) << "period " << i / 2;
      ASSERT_LE(active, wait + 20) << "period " << i / 2;
    }
  }
}

TEST(Sound, RefusedStatements) {
  struct Case {
    const char* lines;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"Sound 10, 1", "Sound pin not declared!"},
      // A constant group count that no byte holds.
      {"$sound = portb.1\nSound 10, 513", "Constant 513 does not fit a Byte!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto compiled = CompileBasic("$device = m8\n$clock = 8\n$stack = 32\n" + std::string(c.lines) + "\nEnd\n");
    const int line = std::string(c.lines).find('\n') == std::string::npos ? 4 : 5;
    EXPECT_TRUE(compiled.StartsWithError(c.message, line)) << compiled.report;
    EXPECT_EQ(compiled.error_count, 1);
  }
}

}  // namespace
}  // namespace qbc::test
