#include "tests/support/ks0108_model.h"

#include <cstdio>

namespace qbc::test {

namespace {

constexpr double kEnableWidthNs = 450;
constexpr double kCycleNs = 1000;
constexpr double kAddressSetupNs = 140;
constexpr double kDataSetupNs = 200;
constexpr double kDataDelayNs = 320;
constexpr double kBusyNs = 4000;

}  // namespace

Ks0108Model::Ks0108Model(SimRunner& sim, const Ks0108Wiring& wiring, double mhz)
    : sim_(sim), wiring_(wiring), bus_(sim, wiring.data_port, mhz), chips_wired_(wiring.cs2 >= 0 ? 2 : 1) {
  const char c = wiring_.ctrl_port;
  sim_.OnPinChange(c, wiring_.en, [this](std::uint64_t cycle, bool output, int level) {
    const bool high = output && level;
    if (high == e_high_) return;
    e_high_ = high;
    if (high)
      Rise(cycle);
    else
      Fall(cycle);
  });
  for (int pin : {wiring_.wr, wiring_.di, wiring_.cs1, wiring_.cs2}) {
    if (pin < 0) continue;
    sim_.OnPinChange(c, pin, [this, pin](std::uint64_t cycle, bool, int) { changed_[pin] = cycle; });
  }
}

bool Ks0108Model::Level(int pin) const {
  return sim_.PinIsOutput(wiring_.ctrl_port, pin) && sim_.PinPortBit(wiring_.ctrl_port, pin);
}

bool Ks0108Model::Selected(int chip) const {
  const int pin = chip == 0 ? wiring_.cs1 : wiring_.cs2;
  return pin >= 0 && sim_.PinIsOutput(wiring_.ctrl_port, pin) && !sim_.PinPortBit(wiring_.ctrl_port, pin);
}

void Ks0108Model::Rise(std::uint64_t cycle) {
  if (ever_rose_ && cycle - rose_ < bus_.Cycles(kCycleNs)) bus_.Violation(cycle, "E cycle " + std::to_string(bus_.Ns(cycle - rose_)) + " ns");
  if (ever_rose_ && cycle - fell_ < bus_.Cycles(kEnableWidthNs)) bus_.Violation(cycle, "E low " + std::to_string(bus_.Ns(cycle - fell_)) + " ns");
  for (int pin : {wiring_.wr, wiring_.di, wiring_.cs1, wiring_.cs2})
    if (pin >= 0 && changed_[pin] != 0 && cycle - changed_[pin] < bus_.Cycles(kAddressSetupNs))
      bus_.Violation(cycle, "control pin " + std::to_string(pin) + " changed " + std::to_string(bus_.Ns(cycle - changed_[pin])) +
                           " ns before E rose");
  rose_ = cycle;
  ever_rose_ = true;
  int selected = 0;
  for (int chip = 0; chip < chips_wired_; ++chip) {
    if (!Selected(chip)) continue;
    ++selected;
    if (cycle < chips_[chip].busy_until) bus_.Violation(cycle, "strobe while chip " + std::to_string(chip + 1) + " is busy");
  }
  if (!Level(wiring_.wr) || selected == 0) return;
  if (selected > 1) bus_.Violation(cycle, "a read with both chips selected");
  const Chip& chip = chips_[Selected(0) ? 0 : 1];
  bus_.BeginReadStrobe(cycle, kDataDelayNs);
  const std::uint8_t value = Level(wiring_.di) ? chip.latch : static_cast<std::uint8_t>(chip.on ? 0 : 0x20);
  // The pin changes when the strobing instruction completes (two cycles for sbi).
  bus_.DriveAfter(2 + bus_.Cycles(kDataDelayNs), value);
}

void Ks0108Model::Fall(std::uint64_t cycle) {
  if (cycle - rose_ < bus_.Cycles(kEnableWidthNs)) bus_.Violation(cycle, "E high " + std::to_string(bus_.Ns(cycle - rose_)) + " ns");
  fell_ = cycle;
  bus_.EndReadStrobe();
  const bool read = Level(wiring_.wr);
  const bool data = Level(wiring_.di);
  std::uint8_t byte = 0;
  if (!read) {
    if (bus_.LastChange() != 0 && cycle - bus_.LastChange() < bus_.Cycles(kDataSetupNs))
      bus_.Violation(cycle, "data changed " + std::to_string(bus_.Ns(cycle - bus_.LastChange())) + " ns before E fell");
    byte = bus_.ProgramByte(cycle);
  }
  for (int n = 0; n < chips_wired_; ++n) {
    if (!Selected(n)) continue;
    Chip& chip = chips_[n];
    chip.busy_until = cycle + bus_.Cycles(kBusyNs);
    if (read) {
      if (data) {
        chip.latch = chip.ram[chip.page][chip.column];
        chip.column = (chip.column + 1) % kColumns;
        ++data_reads_;
      }
    } else if (data) {
      chip.ram[chip.page][chip.column] = byte;
      chip.column = (chip.column + 1) % kColumns;
      ++data_writes_;
    } else {
      Command(chip, byte, cycle);
    }
  }
  if (read) {
    // The bus stays driven until the instruction after the falling edge.
    bus_.LetGoAfter(3);
  }
}

void Ks0108Model::Command(Chip& chip, std::uint8_t byte, std::uint64_t cycle) {
  if (byte == 0x3E || byte == 0x3F)
    chip.on = byte == 0x3F;
  else if ((byte & 0xC0) == 0x40)
    chip.column = byte & 0x3F;
  else if ((byte & 0xF8) == 0xB8)
    chip.page = byte & 7;
  else if ((byte & 0xC0) == 0xC0)
    chip.start = byte & 0x3F;
  else
    bus_.Violation(cycle, "unknown command " + HexByteText(byte));
}

PanelBitmap Ks0108Model::Panel() const {
  PanelBitmap panel(kColumns * chips_wired_, kPages * 8);
  for (int n = 0; n < chips_wired_; ++n) {
    const Chip& chip = chips_[n];
    if (!chip.on) continue;
    for (int row = 0; row < kPages * 8; ++row) {
      const int line = (row + chip.start) % (kPages * 8);
      for (int x = 0; x < kColumns; ++x)
        panel.Set(n * kColumns + x, row, (chip.ram[line / 8][x] >> (line % 8)) & 1);
    }
  }
  return panel;
}

}  // namespace qbc::test
