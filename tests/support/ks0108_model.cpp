#include "tests/support/ks0108_model.h"

#include <cmath>
#include <cstdio>

namespace qbc::test {

namespace {

std::string Hex(std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

constexpr double kEnableWidthNs = 450;
constexpr double kCycleNs = 1000;
constexpr double kAddressSetupNs = 140;
constexpr double kDataSetupNs = 200;
constexpr double kDataDelayNs = 320;
constexpr double kBusyNs = 4000;

}  // namespace

Ks0108Model::Ks0108Model(SimRunner& sim, const Ks0108Wiring& wiring, double mhz)
    : sim_(sim), wiring_(wiring), mhz_(mhz), chips_wired_(wiring.cs2 >= 0 ? 2 : 1) {
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
  for (int bit = 0; bit < 8; ++bit)
    sim_.OnPinChange(wiring_.data_port, bit, [this](std::uint64_t cycle, bool output, int) {
      data_changed_ = cycle;
      if (output && driving_) Violation(cycle, "the program drives the data port while the chip does");
    });
}

std::uint64_t Ks0108Model::Cycles(double ns) const {
  return static_cast<std::uint64_t>(std::ceil(ns * mhz_ / 1000.0 - 1e-9));
}
double Ks0108Model::Ns(std::uint64_t cycles) const { return static_cast<double>(cycles) * 1000.0 / mhz_; }

void Ks0108Model::Violation(std::uint64_t cycle, const std::string& what) {
  char at[32];
  std::snprintf(at, sizeof at, " at %.3f us", Ns(cycle) / 1000.0);
  violations_.push_back(what + at);
}

bool Ks0108Model::Level(int pin) const {
  return sim_.PinIsOutput(wiring_.ctrl_port, pin) && sim_.PinPortBit(wiring_.ctrl_port, pin);
}

bool Ks0108Model::Selected(int chip) const {
  const int pin = chip == 0 ? wiring_.cs1 : wiring_.cs2;
  return pin >= 0 && sim_.PinIsOutput(wiring_.ctrl_port, pin) && !sim_.PinPortBit(wiring_.ctrl_port, pin);
}

void Ks0108Model::Rise(std::uint64_t cycle) {
  if (ever_rose_ && cycle - rose_ < Cycles(kCycleNs)) Violation(cycle, "E cycle " + std::to_string(Ns(cycle - rose_)) + " ns");
  if (ever_rose_ && cycle - fell_ < Cycles(kEnableWidthNs)) Violation(cycle, "E low " + std::to_string(Ns(cycle - fell_)) + " ns");
  for (int pin : {wiring_.wr, wiring_.di, wiring_.cs1, wiring_.cs2})
    if (pin >= 0 && changed_[pin] != 0 && cycle - changed_[pin] < Cycles(kAddressSetupNs))
      Violation(cycle, "control pin " + std::to_string(pin) + " changed " + std::to_string(Ns(cycle - changed_[pin])) +
                           " ns before E rose");
  rose_ = cycle;
  ever_rose_ = true;
  int selected = 0;
  for (int chip = 0; chip < chips_wired_; ++chip) {
    if (!Selected(chip)) continue;
    ++selected;
    if (cycle < chips_[chip].busy_until) Violation(cycle, "strobe while chip " + std::to_string(chip + 1) + " is busy");
  }
  if (!Level(wiring_.wr) || selected == 0) return;
  if (selected > 1) Violation(cycle, "a read with both chips selected");
  const Chip& chip = chips_[Selected(0) ? 0 : 1];
  const std::uint8_t value = Level(wiring_.di) ? chip.latch : static_cast<std::uint8_t>(chip.on ? 0 : 0x20);
  // The pin changes when the strobing instruction completes (two cycles for sbi).
  const int generation = ++generation_;
  sim_.After(2 + Cycles(kDataDelayNs), [this, value, generation] { Drive(value, generation); });
}

void Ks0108Model::Drive(std::uint8_t value, int generation) {
  if (generation != generation_ || !e_high_) return;
  driving_ = true;
  for (int bit = 0; bit < 8; ++bit) {
    if (sim_.PinIsOutput(wiring_.data_port, bit)) Violation(sim_.Cycles(), "the program drives the data port while the chip does");
    sim_.SetPinInput(wiring_.data_port, bit, (value >> bit) & 1);
  }
}

void Ks0108Model::Release(int generation) {
  if (generation != generation_) return;
  driving_ = false;
  for (int bit = 0; bit < 8; ++bit) sim_.ReleasePinInput(wiring_.data_port, bit);
}

void Ks0108Model::Fall(std::uint64_t cycle) {
  if (cycle - rose_ < Cycles(kEnableWidthNs)) Violation(cycle, "E high " + std::to_string(Ns(cycle - rose_)) + " ns");
  fell_ = cycle;
  const bool read = Level(wiring_.wr);
  const bool data = Level(wiring_.di);
  std::uint8_t byte = 0;
  if (!read) {
    if (data_changed_ != 0 && cycle - data_changed_ < Cycles(kDataSetupNs))
      Violation(cycle, "data changed " + std::to_string(Ns(cycle - data_changed_)) + " ns before E fell");
    for (int bit = 0; bit < 8; ++bit) {
      if (!sim_.PinIsOutput(wiring_.data_port, bit)) Violation(cycle, "a write with the data port not driven");
      byte = static_cast<std::uint8_t>(byte | (sim_.PinPortBit(wiring_.data_port, bit) << bit));
    }
  }
  for (int n = 0; n < chips_wired_; ++n) {
    if (!Selected(n)) continue;
    Chip& chip = chips_[n];
    chip.busy_until = cycle + Cycles(kBusyNs);
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
    const int generation = generation_;
    sim_.After(3, [this, generation] { Release(generation); });
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
    Violation(cycle, "unknown command " + Hex(byte));
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
