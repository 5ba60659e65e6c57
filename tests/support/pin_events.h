#pragma once
// The pin changes a run recorded on several pins, merged into one list in time order, for
// the device models that decode a serial or parallel bus after the run (PCD8544 and the
// other graphic panel models).
//
//   const std::vector<PinRef> pins = {{'B', 0}, {'B', 1}};
//   for (const PinRef& p : pins) sim.WatchPin(p.port, p.bit);   // before the run
//   for (const PinEvent& e : MergedPinEvents(sim, pins)) ...    // after it
#include <cstdint>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

struct PinRef {
  char port;
  int bit;
};

struct PinEvent {
  std::uint64_t cycle;
  int line;   // index into the list of pins given
  int level;  // 0 or 1
};

// Every change of level (repeated reports of the same level dropped; pins start low), in
// cycle order; changes in the same cycle keep the order of the pin list.
std::vector<PinEvent> MergedPinEvents(const SimRunner& sim, const std::vector<PinRef>& pins);

// Nanoseconds of `cycles` at `mhz`.
inline double CyclesToNs(std::uint64_t cycles, double mhz) { return static_cast<double>(cycles) * 1000.0 / mhz; }

}  // namespace qbc::test
