#pragma once
// A bus line with a pull-up resistor on one pin of the simulated chip (I2C's SDA and SCL,
// 1-Wire, a PS/2 keyboard's clock and data): the chip pulls it low by making the pin an
// output with a 0, devices pull it low through their own index, and it reads high when
// nobody pulls. The program reads the line's level from PIN. Listeners hear every change
// of the level with its cycle; a chip that drives the pin high while a device pulls low
// (a short on a real bus) is counted.
//
//   test::OpenDrainLine sda(sim, 'C', 4);
//   sda.OnChange([&](uint64_t cycle, int level) { eeprom.Sda(cycle, level); });
//   sda.Pull(0, true);      // device 0 acknowledges
#include <cstdint>
#include <functional>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

class OpenDrainLine {
 public:
  // Call after the program is loaded, before it runs.
  OpenDrainLine(SimRunner& sim, char port, int bit);
  OpenDrainLine(const OpenDrainLine&) = delete;
  OpenDrainLine& operator=(const OpenDrainLine&) = delete;

  int Level() const { return level_; }
  bool ChipPullsLow() const { return chip_output_ && chip_bit_ == 0; }
  // Device `device` (0..31) pulls the line low or lets it go.
  void Pull(int device, bool low);
  void OnChange(std::function<void(uint64_t cycle, int level)> fn) { listeners_.push_back(std::move(fn)); }
  // Every change of the level, with its cycle.
  const std::vector<SimRunner::Edge>& Edges() const { return edges_; }
  // Times the chip drove the pin high while a device pulled the line low.
  int Contention() const { return contention_; }

 private:
  void Update();

  SimRunner& sim_;
  char port_;
  int bit_;
  bool chip_output_ = false;
  int chip_bit_ = 0;
  uint32_t device_pulls_ = 0;
  int level_ = 1;
  int contention_ = 0;
  std::vector<SimRunner::Edge> edges_;
  std::vector<std::function<void(uint64_t, int)>> listeners_;
};

}  // namespace qbc::test
