// Watched register reads: a device model learns when the program took its data.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

TEST(ReadWatch, GivesTheCycleAndValueOfEachReadAndLeavesTheValueAlone) {
  auto a = AssembleAsm(".include \"m8def.inc\"\n.cseg\n.org 0\n"
                       "  nop\n  in r16, PINB\n  sts 0x100, r16\n  sbic PINB, 0\n  inc r17\n"
                       "  in r18, PINB\n  sts 0x101, r18\nend: rjmp end\n");
  ASSERT_TRUE(a.ok) << a.output;
  SimRunner sim({.mcu = "atmega8", .frequency = 8000000});
  ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  std::vector<std::pair<uint64_t, uint8_t>> reads;
  sim.WatchReads(0x36, [&](uint64_t cycle, uint8_t value) { reads.emplace_back(cycle, value); });
  sim.SetPinInput('B', 0, 1);
  sim.After(4, [&] { sim.SetPinInput('B', 0, 0); });
  ASSERT_EQ(sim.Run(), SimStop::EndLoop);
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0], std::make_pair(uint64_t{1}, uint8_t{1}));
  EXPECT_EQ(reads[1].second, 0);  // sbic reads too
  EXPECT_EQ(reads[2].second, 0);
  EXPECT_LT(reads[1].first, reads[2].first);
  EXPECT_EQ(sim.Sram(0x100), 1);
  EXPECT_EQ(sim.Sram(0x101), 0);
}

}  // namespace
}  // namespace qbc::test
