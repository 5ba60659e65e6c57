#include "tests/support/shift_register_models.h"

#include <cstddef>
#include <utility>

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


ShiftInSource::ShiftInSource(SimRunner& sim, char port, int data, int clock, std::vector<int> bits,
                             std::uint64_t delay)
    : sim_(sim), port_(port), data_(data), bits_(std::move(bits)), delay_(delay) {
  sim_.SetPinInput(port_, data_, bits_.empty() ? 0 : bits_[0]);
  sim_.OnPinChange(port_, clock, [this](std::uint64_t, bool output, int level) {
    if (!output || level == clockLevel_) return;
    clockLevel_ = level;
    if (level == 1) {
      ++pulses_;
      return;
    }
    const int bit = next_ < bits_.size() ? bits_[next_] : 0;
    ++next_;
    sim_.After(delay_, [this, bit] { sim_.SetPinInput(port_, data_, bit); });
  });
  sim_.OnPinChange(port_, data_, [this](std::uint64_t, bool output, int) {
    if (output) ++contention_;
  });
}

std::vector<int> BitsOf(const std::vector<std::uint8_t>& bytes, bool msbFirst) {
  std::vector<int> bits;
  for (const std::uint8_t b : bytes)
    for (int i = 0; i < 8; ++i) bits.push_back((b >> (msbFirst ? 7 - i : i)) & 1);
  return bits;
}

}  // namespace qbc::test
