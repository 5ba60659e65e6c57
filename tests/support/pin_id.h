#pragma once
// A pin of the simulated chip, as the device models name the pins they are wired to.

namespace qbc::test {

struct PinId {
  char port;  // 'A', 'B', ...
  int bit;    // 0..7
  bool operator==(const PinId&) const = default;
};

}  // namespace qbc::test
