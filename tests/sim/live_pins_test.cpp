// Live pin access on hand-written programs: what device models hear and answer while the
// program runs.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/open_drain_line.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

std::unique_ptr<SimRunner> Load(const std::string& body, const std::string& mcu = "atmega8") {
  auto a = AssembleAsm(".include \"m8def.inc\"\n.cseg\n.org 0\n" + body + "\nend: rjmp end\n");
  EXPECT_TRUE(a.ok) << a.output;
  auto sim = std::make_unique<SimRunner>(SimOptions{.mcu = mcu, .frequency = 8000000});
  EXPECT_TRUE(sim->Load(a.hex_path, a.map_path)) << sim->Error();
  return sim;
}

TEST(LivePins, HearsEveryDirectionAndLevelChangeAtItsCycle) {
  auto sim = Load(R"(
  sbi DDRB, 1
  sbi PORTB, 1
  ldi r16, 0x02
  out PORTB, r16      ; same level: nothing to hear
  cbi PORTB, 1
  cbi DDRB, 1
  sbi DDRB, 2         ; another pin: not listened to)");
  std::vector<std::tuple<uint64_t, bool, int>> heard;
  sim->OnPinChange('B', 1, [&](uint64_t c, bool out, int bit) { heard.emplace_back(c, out, bit); });
  ASSERT_EQ(sim->Run(), SimStop::EndLoop);
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[0], std::make_tuple(uint64_t{0}, true, 0));
  EXPECT_EQ(heard[1], std::make_tuple(uint64_t{2}, true, 1));
  EXPECT_EQ(heard[2], std::make_tuple(uint64_t{6}, true, 0));
  EXPECT_EQ(heard[3], std::make_tuple(uint64_t{8}, false, 0));
}

TEST(LivePins, OutsideLevelHoldsAgainstThePullUpUntilReleased) {
  auto sim = Load(R"(
  sbi PORTB, 0        ; pull-up on
  in r16, PINB
  sts 0x100, r16
  nop
  in r16, PINB
  sts 0x101, r16)");
  sim->SetPinInput('B', 0, 0);
  // Released while the program runs, between the two reads.
  sim->After(6, [&] { sim->ReleasePinInput('B', 0); });
  ASSERT_EQ(sim->Run(), SimStop::EndLoop);
  EXPECT_EQ(sim->Sram(0x100) & 1, 0);
  EXPECT_EQ(sim->Sram(0x101) & 1, 1);
}

// The chip releases the line, a device pulls it low 200 cycles later; the program counts
// its polling loop (3 cycles a pass) until it sees the low.
TEST(OpenDrainLine, DeviceAnswersAfterTheChipReleasesTheLine) {
  auto sim = Load(R"(
  sbi DDRB, 2         ; chip pulls low
  nop
  cbi DDRB, 2         ; released: the pull-up takes it high
  clr r24
poll:
  inc r24
  sbic PINB, 2
  rjmp poll
  sts 0x100, r24
  sbi PORTB, 2        ; drives high while the device still pulls low
  sbi DDRB, 2)");
  OpenDrainLine line(*sim, 'B', 2);
  uint64_t released = 0;
  line.OnChange([&](uint64_t cycle, int level) {
    if (level == 1 && released == 0) {
      released = cycle;
      sim->After(200, [&] { line.Pull(0, true); });
    }
  });
  ASSERT_EQ(sim->Run(), SimStop::EndLoop);
  ASSERT_EQ(line.Edges().size(), 3u);  // low, released, device low
  EXPECT_EQ(line.Edges()[0].level, 0);
  EXPECT_EQ(line.Edges()[2].cycle - released, 200u);
  EXPECT_NEAR(sim->Sram(0x100), 200 / 4, 2);
  EXPECT_EQ(line.Contention(), 1);
}

}  // namespace
}  // namespace qbc::test
