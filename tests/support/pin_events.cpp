#include "tests/support/pin_events.h"

#include <algorithm>

namespace qbc::test {

std::vector<PinEvent> MergedPinEvents(const SimRunner& sim, const std::vector<PinRef>& pins) {
  std::vector<PinEvent> events;
  for (std::size_t i = 0; i < pins.size(); ++i) {
    int level = 0;
    for (const SimRunner::Edge& e : sim.PinEdges(pins[i].port, pins[i].bit)) {
      if (e.level == level) continue;
      level = e.level;
      events.push_back({e.cycle, static_cast<int>(i), e.level});
    }
  }
  std::stable_sort(events.begin(), events.end(), [](const PinEvent& a, const PinEvent& b) { return a.cycle < b.cycle; });
  return events;
}

}  // namespace qbc::test
