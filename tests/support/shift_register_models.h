#pragma once
// Shift registers on the pins of a program run on the simulator.
//
// ShiftOutCapture is a 74HC595-like serial input decoded from the recorded edges of the
// data and clock pins (SimRunner::WatchPin): it takes the data level at every rising clock
// edge and checks what the part needs of the data around that edge: data set up at least
// one cycle before the edge and held while the clock is high.
#include <cstddef>
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

// ShiftInSource drives the chip's $shiftin data pin as a part that shifts its bits out on
// the chip's clock: the first bit is on the pin from the start and each falling clock edge
// brings the next one a few cycles later, so the chip must sample while the clock is high.
// It counts the clock pulses and every time the chip drove the data pin itself.
class ShiftInSource {
 public:
  ShiftInSource(SimRunner& sim, char port, int data, int clock, std::vector<int> bits, std::uint64_t delay = 2);
  int Pulses() const { return pulses_; }
  int Contention() const { return contention_; }

 private:
  SimRunner& sim_;
  char port_;
  int data_;
  std::vector<int> bits_;
  std::uint64_t delay_;
  std::size_t next_ = 1;
  int clockLevel_ = 0;
  int pulses_ = 0;
  int contention_ = 0;
};

// The bits of `bytes` in the order a part sends them (each byte's most or least
// significant bit first).
std::vector<int> BitsOf(const std::vector<std::uint8_t>& bytes, bool msbFirst);


}  // namespace qbc::test
