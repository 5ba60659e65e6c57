#include "tests/support/hd44780_model.h"

#include <algorithm>
#include <cstring>

namespace qbc::test {

namespace {

// The pin's level at `cycle` (after the changes of that cycle); pins start low.
int LevelAt(const std::vector<SimRunner::Edge>& edges, std::uint64_t cycle) {
  int level = 0;
  for (const auto& e : edges) {
    if (e.cycle > cycle) break;
    level = e.level;
  }
  return level;
}

// Whether the pin changed in the cycles (from, to].
bool ChangedWithin(const std::vector<SimRunner::Edge>& edges, std::uint64_t from, std::uint64_t to) {
  return std::any_of(edges.begin(), edges.end(), [&](const SimRunner::Edge& e) { return e.cycle > from && e.cycle <= to; });
}

}  // namespace

Hd44780Model::Hd44780Model(const LcdWiring& wiring, double mhz) : wiring_(wiring), mhz_(mhz), busy_until_(0) {
  std::memset(ddram_, ' ', sizeof ddram_);
  busy_until_ = Us(15000);  // power-up
}

std::uint64_t Hd44780Model::Us(double us) const { return static_cast<std::uint64_t>(us * mhz_ + 0.999); }

void Hd44780Model::Watch(SimRunner& sim) const {
  const int lines = wiring_.eight_bit ? 8 : 4;
  for (int i = 0; i < lines; ++i) sim.WatchPin(wiring_.data_port, wiring_.data_offset + i);
  sim.WatchPin(wiring_.rs_port, wiring_.rs_bit);
  sim.WatchPin(wiring_.e_port, wiring_.e_bit);
}

void Hd44780Model::Fault(std::uint64_t cycle, const std::string& what) {
  faults_.push_back(what + " at " + std::to_string(static_cast<double>(cycle) / mhz_) + " us");
}

void Hd44780Model::Decode(const SimRunner& sim) {
  const auto& e = sim.PinEdges(wiring_.e_port, wiring_.e_bit);
  const auto& rs = sim.PinEdges(wiring_.rs_port, wiring_.rs_bit);
  const int lines = wiring_.eight_bit ? 8 : 4;
  std::uint64_t rise = 0;
  int level = 0;
  for (const auto& edge : e) {
    if (edge.level == level) continue;
    level = edge.level;
    if (level == 1) {
      rise = edge.cycle;
      // RS set up 60 ns before E rises.
      if (ChangedWithin(rs, rise > Us(0.06) ? rise - Us(0.06) : 0, rise)) Fault(rise, "RS changed within 60 ns of E rising");
      continue;
    }
    const std::uint64_t fall = edge.cycle;
    if (fall - rise < Us(0.45)) Fault(fall, "E high for less than 450 ns");
    if (ChangedWithin(rs, rise, fall)) Fault(fall, "RS changed while E was high");
    int value = 0;
    for (int i = 0; i < lines; ++i) {
      const auto& d = sim.PinEdges(wiring_.data_port, wiring_.data_offset + i);
      // Data set up 195 ns before E falls.
      if (ChangedWithin(d, fall > Us(0.195) ? fall - Us(0.195) : 0, fall)) Fault(fall, "data changed within 195 ns of E falling");
      value |= LevelAt(d, fall) << i;
    }
    Latch(fall, LevelAt(rs, fall) != 0, value);
  }
}

void Hd44780Model::Latch(std::uint64_t cycle, bool rs, int value) {
  ++transfers_;
  if (cycle < busy_until_) Fault(cycle, "transfer while busy");
  // On the 4-bit wiring D0..D3 are open: they read as 0.
  const int byte = wiring_.eight_bit ? value : value << 4;
  if (eight_bit_mode_) {
    Execute(cycle, rs, static_cast<std::uint8_t>(byte));
    return;
  }
  if (!first_nibble_done_) {
    high_nibble_ = byte & 0xF0;
    first_nibble_done_ = true;
    return;
  }
  first_nibble_done_ = false;
  Execute(cycle, rs, static_cast<std::uint8_t>(high_nibble_ | (byte >> 4)));
}

void Hd44780Model::Execute(std::uint64_t cycle, bool rs, std::uint8_t byte) {
  double busy = 37;
  if (rs) {
    data_writes_ += static_cast<char>(byte);
    if (to_cgram_) {
      cgram_[address_ & 0x3F] = byte;
      address_ = (address_ + (increment_ ? 1 : -1)) & 0x3F;
    } else {
      ddram_[address_ & 0x7F] = byte;
      address_ = (address_ + (increment_ ? 1 : -1)) & 0x7F;
      if (two_line_ && !four_line_) {
        if (address_ == 0x28) address_ = 0x40;
        if (address_ == 0x68) address_ = 0x00;
      }
    }
    busy = 41;
  } else if (byte & 0x80) {
    to_cgram_ = false;
    address_ = byte & 0x7F;
  } else if (byte & 0x40) {
    to_cgram_ = !extended_;  // with RE set: the KS0073's segment memory, not shown
    address_ = byte & 0x3F;
  } else if (byte & 0x20) {
    if (eight_bit_mode_ && (byte & 0x10) && function_sets_ < 3) {
      // Reset by instruction: 4.1 ms after the first, 100 us after the second.
      busy = function_sets_ == 0 ? 4100 : function_sets_ == 1 ? 100 : 37;
      ++function_sets_;
    }
    eight_bit_mode_ = (byte & 0x10) != 0;
    two_line_ = (byte & 0x08) != 0;
    extended_ = (byte & 0x04) != 0;
  } else if (byte & 0x10) {
    // cursor or display shift: not used by the driver
  } else if (byte & 0x08) {
    if (extended_)
      four_line_ = (byte & 0x01) != 0;
    else
      control_ = byte & 0x07;
  } else if (byte & 0x04) {
    increment_ = (byte & 0x02) != 0;
  } else if (byte & 0x02) {
    address_ = 0;
    to_cgram_ = false;
    busy = 1520;
  } else if (byte & 0x01) {
    std::memset(ddram_, ' ', sizeof ddram_);
    address_ = 0;
    to_cgram_ = false;
    increment_ = true;
    busy = 1520;
  }
  busy_until_ = cycle + Us(busy);
}

std::string Hd44780Model::Row(int row, int columns, int rows) const {
  int start = 0;
  if (four_line_) {
    start = (row - 1) * 0x20;
  } else {
    const int starts[] = {0x00, 0x40, columns, 0x40 + columns};
    start = rows == 1 ? 0 : starts[std::clamp(row, 1, 4) - 1];
  }
  std::string text;
  for (int i = 0; i < columns; ++i) text += static_cast<char>(ddram_[(start + i) & 0x7F]);
  return text;
}

}  // namespace qbc::test
