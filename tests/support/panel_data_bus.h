#pragma once
// What the parallel graphic panel models share: the panel's side of the data port (it
// drives the pins for a read from a delay after the strobe until it lets go, and notes
// the program driving them at the same time), the clock's cycles and nanoseconds, and the
// list of timing and protocol violations.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

class PanelDataBus {
 public:
  PanelDataBus(SimRunner& sim, char data_port, double mhz);
  PanelDataBus(const PanelDataBus&) = delete;
  PanelDataBus& operator=(const PanelDataBus&) = delete;

  // Puts `value` on the data pins `cycles` from now, unless Cancel() or another drive
  // came first; LetGo() releases them `cycles` from now.
  void DriveAfter(std::uint64_t cycles, std::uint8_t value);
  void LetGoAfter(std::uint64_t cycles);
  void Cancel() { ++generation_; }
  // A read strobe began with the instruction at cycle `rise` (its pin changes when that
  // two-cycle instruction completes) and ends at EndReadStrobe(). A read of the data port's
  // PIN register in between must come after the panel drives the data, `access_ns` after
  // the edge, and after the chip's pin synchroniser has latched it: an `in` sees the level
  // the pin had half a clock cycle before it. Earlier reads are violations.
  void BeginReadStrobe(std::uint64_t rise, double access_ns);
  void EndReadStrobe() { strobe_ = false; }
  // The byte the program drives on the data port (a violation when it does not drive it).
  std::uint8_t ProgramByte(std::uint64_t cycle);
  // The cycle of the last change the program made to a data pin.
  std::uint64_t LastChange() const { return changed_; }

  std::uint64_t Cycles(double ns) const;
  double Ns(std::uint64_t cycles) const;
  void Violation(std::uint64_t cycle, const std::string& what);
  const std::vector<std::string>& Violations() const { return violations_; }

 private:
  SimRunner& sim_;
  char port_;
  double mhz_;
  bool driving_ = false;
  bool strobe_ = false;
  std::uint64_t strobe_rise_ = 0;
  double access_ns_ = 0;
  int generation_ = 0;
  std::uint64_t changed_ = 0;
  std::vector<std::string> violations_;
};

std::string HexByteText(std::uint8_t b);

}  // namespace qbc::test
