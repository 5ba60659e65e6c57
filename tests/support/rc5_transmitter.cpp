#include "tests/support/rc5_transmitter.h"

#include <algorithm>
#include <cmath>

namespace qbc::test {

void Rc5Transmitter::Send(std::uint64_t cycle, const Rc5Frame& frame) {
  const int bits = (1 << 13) | (1 << 12) | ((frame.toggle & 1) << 11) | ((frame.address & 31) << 6) | (frame.command & 63);
  const double half = frame.half_us * mhz_;
  auto at = [&](double halves) { return cycle + static_cast<std::uint64_t>(std::llround(halves * half)); };
  for (int i = 0; i < 14; ++i) {
    const int bit = (bits >> (13 - i)) & 1;
    if (i == 0 && !frame.first_start_bit) {
      // A glitch where the burst should be: low for 200 us, then high again.
      edges_.emplace_back(at(1), 0);
      edges_.emplace_back(at(1) + static_cast<std::uint64_t>(std::llround(200.0 * mhz_)), 1);
      continue;
    }
    edges_.emplace_back(at(2 * i), bit == 1 ? 1 : 0);
    edges_.emplace_back(at(2 * i + 1), bit == 1 ? 0 : 1);
  }
  edges_.emplace_back(at(28), 1);
}

void Rc5Transmitter::Attach(SimRunner& sim) {
  sim.SetPinInput(pin_.port, pin_.bit, 1);
  std::stable_sort(edges_.begin(), edges_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  Schedule(sim, 0, 0);
}

// One edge pending at a time: the simulator keeps only a few timers.
void Rc5Transmitter::Schedule(SimRunner& sim, std::size_t next, std::uint64_t now) {
  if (next >= edges_.size()) return;
  const std::uint64_t cycle = edges_[next].first;
  const int level = edges_[next].second;
  sim.After(cycle - now, [this, &sim, next, cycle, level] {
    sim.SetPinInput(pin_.port, pin_.bit, level);
    Schedule(sim, next + 1, cycle);
  });
}

}  // namespace qbc::test
