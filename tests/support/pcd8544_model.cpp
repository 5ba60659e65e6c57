#include "tests/support/pcd8544_model.h"

#include <cstdio>

#include "tests/support/pin_events.h"

namespace qbc::test {

namespace {

enum Line { kSdin, kSclk, kDc, kSce };

std::string Hex(std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

}  // namespace

Pcd8544Model::Pcd8544Model(const Pcd8544Wiring& wiring, double mhz) : wiring_(wiring), mhz_(mhz) {}

void Pcd8544Model::Watch(SimRunner& sim) const {
  sim.WatchPin(wiring_.sdin_port, wiring_.sdin_bit);
  sim.WatchPin(wiring_.sclk_port, wiring_.sclk_bit);
  sim.WatchPin(wiring_.dc_port, wiring_.dc_bit);
  sim.WatchPin(wiring_.sce_port, wiring_.sce_bit);
}

void Pcd8544Model::Violation(std::uint64_t cycle, const std::string& what) {
  violations_.push_back(what + " at " + std::to_string(CyclesToNs(cycle, mhz_) / 1000.0) + " us");
}

void Pcd8544Model::Decode(const SimRunner& sim) {
  const std::vector<PinRef> pins = {{wiring_.sdin_port, wiring_.sdin_bit},
                                    {wiring_.sclk_port, wiring_.sclk_bit},
                                    {wiring_.dc_port, wiring_.dc_bit},
                                    {wiring_.sce_port, wiring_.sce_bit}};
  int level[4] = {0, 0, 0, 0};
  // Before the program drives SCE it floats; the pins start low in the simulator, which
  // selects the chip, harmlessly as long as SCLK does not rise.
  int bits = 0;
  std::uint8_t shift = 0;
  bool seen_rise = false, seen_fall = false, seen_sdin = false;
  std::uint64_t last_rise = 0, last_fall = 0, last_sdin = 0;
  auto ns = [&](std::uint64_t from, std::uint64_t to) { return CyclesToNs(to - from, mhz_); };

  for (const PinEvent& e : MergedPinEvents(sim, pins)) {
    const bool selected = level[kSce] == 0;
    level[e.line] = e.level;
    switch (e.line) {
      case kSdin:
        seen_sdin = true;
        last_sdin = e.cycle;
        break;
      case kDc:
        if (selected && bits != 0) Violation(e.cycle, "D/C changed inside a byte");
        break;
      case kSce:
        if (e.level == 1 && bits != 0) ++dropped_;
        bits = 0;
        shift = 0;
        break;
      case kSclk:
        if (e.level == 1) {
          if (selected) {
            if (seen_fall && bits != 0 && ns(last_fall, e.cycle) < 100.0) Violation(e.cycle, "SCLK low under 100 ns");
            if (seen_rise && bits != 0 && ns(last_rise, e.cycle) < 250.0) Violation(e.cycle, "SCLK period under 250 ns");
            if (seen_sdin && ns(last_sdin, e.cycle) < 100.0) Violation(e.cycle, "SDIN changed under 100 ns before SCLK rose");
            shift = static_cast<std::uint8_t>((shift << 1) | level[kSdin]);
            if (++bits == 8) {
              Execute(e.cycle, level[kDc] != 0, shift);
              bits = 0;
              shift = 0;
            }
          }
          seen_rise = true;
          last_rise = e.cycle;
        } else {
          if (selected && seen_rise && ns(last_rise, e.cycle) < 100.0) Violation(e.cycle, "SCLK high under 100 ns");
          seen_fall = true;
          last_fall = e.cycle;
        }
        break;
    }
  }
}

void Pcd8544Model::Execute(std::uint64_t cycle, bool data, std::uint8_t byte) {
  transfers_.push_back({data, byte});
  if (!data) {
    Command(cycle, byte);
    return;
  }
  ram_[y_][x_] = byte;
  if (vertical_) {
    if (++y_ == kBanks) {
      y_ = 0;
      if (++x_ == kColumns) x_ = 0;
    }
  } else if (++x_ == kColumns) {
    x_ = 0;
    if (++y_ == kBanks) y_ = 0;
  }
}

void Pcd8544Model::Command(std::uint64_t cycle, std::uint8_t byte) {
  if (byte == 0x00) return;  // no operation
  if ((byte & 0xF8) == 0x20) {  // function set
    power_down_ = (byte & 0x04) != 0;
    vertical_ = (byte & 0x02) != 0;
    extended_ = (byte & 0x01) != 0;
    return;
  }
  if (extended_) {
    if (byte & 0x80) {
      vop_ = byte & 0x7F;
    } else if ((byte & 0xFC) == 0x04) {
      temp_ = byte & 0x03;
    } else if ((byte & 0xF8) == 0x10) {
      bias_ = byte & 0x07;
    } else {
      Violation(cycle, "extended command " + Hex(byte) + " outside the data sheet");
    }
    return;
  }
  if (byte & 0x80) {
    if ((byte & 0x7F) >= kColumns)
      Violation(cycle, "X address " + std::to_string(byte & 0x7F) + " outside 0 to 83");
    else
      x_ = byte & 0x7F;
  } else if ((byte & 0xF8) == 0x40) {
    if ((byte & 0x07) >= kBanks)
      Violation(cycle, "Y address " + std::to_string(byte & 0x07) + " outside 0 to 5");
    else
      y_ = byte & 0x07;
  } else if ((byte & 0xFA) == 0x08) {
    static const Mode kModes[] = {Mode::Blank, Mode::AllOn, Mode::Normal, Mode::Inverse};
    mode_ = kModes[((byte >> 1) & 0x02) | (byte & 0x01)];
  } else {
    Violation(cycle, "command " + Hex(byte) + " outside the data sheet");
  }
}

PanelBitmap Pcd8544Model::Panel() const {
  PanelBitmap panel(kColumns, kBanks * 8);
  if (power_down_ || mode_ == Mode::Blank) return panel;
  for (int bank = 0; bank < kBanks; ++bank)
    for (int x = 0; x < kColumns; ++x)
      for (int bit = 0; bit < 8; ++bit) {
        bool on = (ram_[bank][x] >> bit) & 1;
        if (mode_ == Mode::AllOn) on = true;
        if (mode_ == Mode::Inverse) on = !on;
        panel.Set(x, bank * 8 + bit, on);
      }
  return panel;
}

}  // namespace qbc::test
