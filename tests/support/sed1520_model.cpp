#include "tests/support/sed1520_model.h"

namespace qbc::test {

namespace {

constexpr double kWriteWidthNs = 80;
constexpr double kReadWidthNs = 100;
constexpr double kCycleNs = 1000;
constexpr double kAddressSetupNs = 20;
constexpr double kDataSetupNs = 80;
constexpr double kAccessNs = 90;

}  // namespace

Sed1520Model::Sed1520Model(SimRunner& sim, const Sed1520Wiring& wiring, double mhz)
    : sim_(sim), wiring_(wiring), bus_(sim, wiring.data_port, mhz) {
  const char c = wiring_.ctrl_port;
  for (int n = 0; n < 2; ++n) {
    sim_.OnPinChange(c, n == 0 ? wiring_.e1 : wiring_.e2, [this, n](std::uint64_t cycle, bool output, int level) {
      const bool high = output && level;
      if (high == chips_[n].high) return;
      chips_[n].high = high;
      if (high)
        Rise(n, cycle);
      else
        Fall(n, cycle);
    });
  }
  for (int pin : {wiring_.a0, wiring_.rw})
    sim_.OnPinChange(c, pin, [this, pin](std::uint64_t cycle, bool, int) { changed_[pin] = cycle; });
}

bool Sed1520Model::Level(int pin) const {
  return sim_.PinIsOutput(wiring_.ctrl_port, pin) && sim_.PinPortBit(wiring_.ctrl_port, pin);
}

void Sed1520Model::Rise(int n, std::uint64_t cycle) {
  Chip& chip = chips_[n];
  if (chips_[1 - n].high) bus_.Violation(cycle, "both enables high");
  if (chip.ever_rose && cycle - chip.rose < bus_.Cycles(kCycleNs))
    bus_.Violation(cycle, "E" + std::to_string(n + 1) + " cycle " + std::to_string(bus_.Ns(cycle - chip.rose)) + " ns");
  for (int pin : {wiring_.a0, wiring_.rw})
    if (changed_[pin] != 0 && cycle - changed_[pin] < bus_.Cycles(kAddressSetupNs))
      bus_.Violation(cycle, "control pin " + std::to_string(pin) + " changed " + std::to_string(bus_.Ns(cycle - changed_[pin])) +
                           " ns before E rose");
  chip.rose = cycle;
  chip.ever_rose = true;
  if (!Level(wiring_.rw)) return;
  bus_.BeginReadStrobe(cycle, kAccessNs);
  const std::uint8_t value = Level(wiring_.a0) ? chip.latch : static_cast<std::uint8_t>(chip.on ? 0 : 0x20);
  bus_.DriveAfter(2 + bus_.Cycles(kAccessNs), value);
}

void Sed1520Model::Fall(int n, std::uint64_t cycle) {
  Chip& chip = chips_[n];
  const bool read = Level(wiring_.rw);
  const bool data = Level(wiring_.a0);
  const double width = read ? kReadWidthNs : kWriteWidthNs;
  if (cycle - chip.rose < bus_.Cycles(width))
    bus_.Violation(cycle, "E" + std::to_string(n + 1) + " high " + std::to_string(bus_.Ns(cycle - chip.rose)) + " ns");
  if (read) {
    bus_.EndReadStrobe();
    if (data) {
      chip.latch = chip.ram[chip.page][chip.column];
      if (!chip.modify) chip.column = (chip.column + 1) % kColumns;
    }
    bus_.LetGoAfter(3);
    return;
  }
  if (bus_.LastChange() != 0 && cycle - bus_.LastChange() < bus_.Cycles(kDataSetupNs))
    bus_.Violation(cycle, "data changed " + std::to_string(bus_.Ns(cycle - bus_.LastChange())) + " ns before E fell");
  const std::uint8_t byte = bus_.ProgramByte(cycle);
  if (data) {
    chip.ram[chip.page][chip.column] = byte;
    chip.column = (chip.column + 1) % kColumns;
  } else {
    Command(chip, byte, cycle);
  }
}

void Sed1520Model::Command(Chip& chip, std::uint8_t byte, std::uint64_t cycle) {
  if (byte <= 0x4F)
    chip.column = byte;
  else if (byte >= 0xB8 && byte <= 0xBB)
    chip.page = byte & 3;
  else if ((byte & 0xE0) == 0xC0)
    chip.start = byte & 0x1F;
  else if (byte == 0xAE || byte == 0xAF)
    chip.on = byte == 0xAF;
  else if (byte == 0xE0)
    chip.modify = true;
  else if (byte == 0xEE)
    chip.modify = false;
  else if (byte == 0xE2)
    chip = Chip{.ram = chip.ram};
  else if (byte != 0xA0 && byte != 0xA1 && byte != 0xA4 && byte != 0xA5 && byte != 0xA8 && byte != 0xA9)
    bus_.Violation(cycle, "unknown command " + HexByteText(byte));
}

PanelBitmap Sed1520Model::Panel() const {
  PanelBitmap panel(2 * kShown, kPages * 8);
  for (int n = 0; n < 2; ++n) {
    const Chip& chip = chips_[n];
    if (!chip.on) continue;
    for (int row = 0; row < kPages * 8; ++row) {
      const int line = (row + chip.start) % (kPages * 8);
      for (int x = 0; x < kShown; ++x) panel.Set(n * kShown + x, row, (chip.ram[line / 8][x] >> (line % 8)) & 1);
    }
  }
  return panel;
}

}  // namespace qbc::test
