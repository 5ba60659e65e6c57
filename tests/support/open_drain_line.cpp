#include "tests/support/open_drain_line.h"

namespace qbc::test {

OpenDrainLine::OpenDrainLine(SimRunner& sim, char port, int bit) : sim_(sim), port_(port), bit_(bit) {
  chip_output_ = sim_.PinIsOutput(port, bit);
  chip_bit_ = sim_.PinPortBit(port, bit);
  sim_.OnPinChange(port, bit, [this](uint64_t, bool output, int port_bit) {
    const bool was_high_drive = chip_output_ && chip_bit_;
    chip_output_ = output;
    chip_bit_ = port_bit;
    if (!was_high_drive && output && port_bit && device_pulls_) ++contention_;
    Update();
  });
  level_ = -1;
  Update();
}

void OpenDrainLine::Pull(int device, bool low) {
  const uint32_t mask = 1u << (device & 31);
  device_pulls_ = low ? device_pulls_ | mask : device_pulls_ & ~mask;
  if (low && chip_output_ && chip_bit_) ++contention_;
  Update();
}

void OpenDrainLine::Update() {
  // A chip output wins in the simulator; on the bus a driven high against a device's low is
  // the contention counted above, and the device's low is what the others see.
  int level = 1;
  if (ChipPullsLow() || device_pulls_) level = 0;
  // The pin reads the bus whenever the chip does not drive it.
  sim_.SetPinInput(port_, bit_, level);
  if (level == level_) return;
  const bool first = level_ < 0;
  level_ = level;
  if (first) return;
  const uint64_t cycle = sim_.Cycles();
  edges_.push_back({cycle, level});
  for (auto& fn : listeners_) fn(cycle, level);
}

}  // namespace qbc::test
