#include "tests/support/shift_register_models.h"

#include <cstddef>

namespace qbc::test {

namespace {

// The level of a recorded pin just before `cycle` (0 before its first edge).
int LevelBefore(const std::vector<SimRunner::Edge>& edges, std::uint64_t cycle) {
  int level = 0;
  for (const auto& e : edges) {
    if (e.cycle >= cycle) break;
    level = e.level;
  }
  return level;
}

}  // namespace

std::vector<std::uint8_t> ShiftOutCapture::Bytes(bool msbFirst) const {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 8 <= bits.size(); i += 8) {
    int v = 0;
    for (int b = 0; b < 8; ++b) {
      const int bit = bits[i + static_cast<std::size_t>(b)];
      if (msbFirst)
        v = (v << 1) | bit;
      else
        v |= bit << b;
    }
    bytes.push_back(static_cast<std::uint8_t>(v));
  }
  return bytes;
}

ShiftOutCapture DecodeShiftOut(const std::vector<SimRunner::Edge>& data, const std::vector<SimRunner::Edge>& clock) {
  ShiftOutCapture c;
  int level = 0;
  std::uint64_t rise = 0;
  for (const auto& e : clock) {
    if (e.level == level) continue;
    level = e.level;
    if (level == 1) {
      rise = e.cycle;
      c.bits.push_back(LevelBefore(data, e.cycle));
      for (const auto& d : data)
        if (d.cycle == e.cycle) ++c.setupViolations;
    } else {
      c.clockHigh.push_back(e.cycle - rise);
      for (const auto& d : data)
        if (d.cycle > rise && d.cycle <= e.cycle) ++c.holdViolations;
    }
  }
  c.endLevel = data.empty() ? 0 : data.back().level;
  return c;
}

}  // namespace qbc::test
