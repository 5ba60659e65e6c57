#pragma once
// Shift registers on the pins of a program run on the simulator.
//
// ShiftOutCapture is a 74HC595-like serial input decoded from the recorded edges of the
// data and clock pins (SimRunner::WatchPin): it takes the data level at every rising clock
// edge and checks what the part needs of the data around that edge: data set up at least
// one cycle before the edge and held while the clock is high.
#include <cstdint>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

struct ShiftOutCapture {
  std::vector<int> bits;                   // the data level at each rising clock edge
  std::vector<std::uint64_t> clockHigh;    // cycles the clock stayed high, per pulse
  int setupViolations = 0;                 // data changed on the cycle of a rising edge
  int holdViolations = 0;                  // data changed while the clock was high
  int endLevel = 0;                        // the data pin's last level

  // The bits in groups of eight, the first bit of each the most (`msbFirst`) or least
  // significant.
  std::vector<std::uint8_t> Bytes(bool msbFirst) const;
};

ShiftOutCapture DecodeShiftOut(const std::vector<SimRunner::Edge>& data, const std::vector<SimRunner::Edge>& clock);

}  // namespace qbc::test
