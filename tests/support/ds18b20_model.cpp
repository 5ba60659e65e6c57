#include "tests/support/ds18b20_model.h"

#include <cstdio>

namespace qbc::test {

namespace {

constexpr double kResetMin = 480;
constexpr double kResetHigh = 480;     // line free after the reset's release
constexpr double kPresenceWait = 30;   // 15-60 after the release
constexpr double kPresenceLow = 120;   // 60-240
constexpr double kOneLowMax = 15;
constexpr double kZeroLowMin = 60;
constexpr double kZeroLowMax = 120;
constexpr double kLowMin = 1;
constexpr double kDeviceZero = 15;     // a device's 0 holds this long from the fall
constexpr double kSlotMin = 60;
constexpr double kRecoveryMin = 1;

}  // namespace

std::uint8_t OneWireCrc8(const std::uint8_t* data, std::size_t n) {
  std::uint8_t crc = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t b = data[i];
    for (int k = 0; k < 8; ++k) {
      const bool mix = ((crc ^ b) & 1) != 0;
      crc >>= 1;
      if (mix) crc ^= 0x8C;
      b >>= 1;
    }
  }
  return crc;
}

Ds18b20Model::Ds18b20Model(std::uint64_t serial, std::int16_t temperature, double convert_us)
    : temperature_(temperature), convert_us_(convert_us) {
  rom_[0] = 0x28;
  for (int i = 0; i < 6; ++i) rom_[1 + i] = static_cast<std::uint8_t>(serial >> (8 * i));
  rom_[7] = OneWireCrc8(rom_.data(), 7);
  // power-up scratchpad: 85.0 degrees, TH 75, TL 70, 12-bit resolution
  scratch_ = {0x50, 0x05, 0x4B, 0x46, 0x7F, 0xFF, 0x0C, 0x10, 0};
  scratch_[8] = OneWireCrc8(scratch_.data(), 8);
}

void Ds18b20Model::Attach(SimRunner& sim, OpenDrainLine& line, char port, int bit, int index, double mhz) {
  sim_ = &sim;
  line_ = &line;
  index_ = index;
  mhz_ = mhz;
  sim.OnPinChange(port, bit, [this](std::uint64_t cycle, bool output, int port_bit) {
    if (output && port_bit != 0) Fault(cycle, "the chip drives the line high");
    const bool low = output && port_bit == 0;
    if (low != chip_low_) ChipPull(cycle, low);
  });
  line.OnChange([this](std::uint64_t cycle, int level) {
    if (level == 1) line_rise_ = cycle;
  });
}

void Ds18b20Model::Fault(std::uint64_t cycle, const std::string& what) {
  char at[48];
  std::snprintf(at, sizeof at, " (at %.1f us)", Us(cycle));
  faults_.push_back(what + at);
}

void Ds18b20Model::ChipPull(std::uint64_t cycle, bool low) {
  chip_low_ = low;
  if (low)
    Fall(cycle);
  else
    Rise(cycle);
}

void Ds18b20Model::Fall(std::uint64_t cycle) {
  if (any_fall_) {
    if (cycle < free_from_) Fault(cycle, "slot or reset " + std::to_string(Us(free_from_ - cycle)) + " us too early");
    if (cycle - line_rise_ < Cycles(kRecoveryMin) && line_rise_ > fall_)
      Fault(cycle, "recovery shorter than 1 us");
  }
  any_fall_ = true;
  fall_ = cycle;
  read_slot_ = phase_ == Phase::kSending || phase_ == Phase::kConverting;
  if (read_slot_ && NextBitToSend(cycle) == 0) {
    line_->Pull(index_, true);
    sim_->After(Cycles(kDeviceZero), [this] { line_->Pull(index_, false); });
  }
}

void Ds18b20Model::Rise(std::uint64_t cycle) {
  const double low = Us(cycle - fall_);
  free_from_ = fall_ + Cycles(kSlotMin + kRecoveryMin);
  if (low >= kResetMin) {
    Reset(cycle);
    return;
  }
  char text[96];
  if (read_slot_) {
    if (low < kLowMin || low >= kDeviceZero) {
      std::snprintf(text, sizeof text, "read slot low %.2f us (1 to 15)", low);
      Fault(cycle, text);
    }
    return;
  }
  if (low >= kLowMin && low <= kOneLowMax) {
    WrittenBit(1);
  } else if (low >= kZeroLowMin && low <= kZeroLowMax) {
    WrittenBit(0);
  } else {
    std::snprintf(text, sizeof text, "write slot low %.2f us (1 to 15 or 60 to 120)", low);
    Fault(cycle, text);
  }
}

void Ds18b20Model::Reset(std::uint64_t cycle) {
  ++resets_;
  phase_ = Phase::kRomCommand;
  bit_count_ = 0;
  out_bits_.clear();
  out_next_ = 0;
  free_from_ = cycle + Cycles(kResetHigh);
  sim_->After(Cycles(kPresenceWait), [this] {
    line_->Pull(index_, true);
    sim_->After(Cycles(kPresenceLow), [this] { line_->Pull(index_, false); });
  });
}

void Ds18b20Model::WrittenBit(int bit) {
  shift_ = static_cast<std::uint8_t>((shift_ >> 1) | (bit != 0 ? 0x80 : 0));
  if (++bit_count_ < 8) return;
  bit_count_ = 0;
  heard_.push_back(shift_);
  Byte(shift_);
}

void Ds18b20Model::Send(const std::uint8_t* data, std::size_t n) {
  out_bits_.clear();
  out_next_ = 0;
  for (std::size_t i = 0; i < n; ++i)
    for (int k = 0; k < 8; ++k) out_bits_.push_back((data[i] >> k) & 1);
  phase_ = Phase::kSending;
}

int Ds18b20Model::NextBitToSend(std::uint64_t cycle) {
  if (phase_ == Phase::kConverting) return cycle < busy_until_ ? 0 : 1;
  if (out_next_ < out_bits_.size()) return out_bits_[out_next_++];
  return 1;
}

void Ds18b20Model::Byte(std::uint8_t b) {
  switch (phase_) {
    case Phase::kRomCommand:
      if (b == 0x33) {
        Send(rom_.data(), rom_.size());
      } else if (b == 0xCC) {
        phase_ = Phase::kFunction;
      } else if (b == 0x55) {
        phase_ = Phase::kMatchRom;
        match_index_ = 0;
        match_ok_ = true;
      } else {
        phase_ = Phase::kIdle;
      }
      break;
    case Phase::kMatchRom:
      match_ok_ = match_ok_ && b == rom_[static_cast<std::size_t>(match_index_)];
      if (++match_index_ == 8) phase_ = match_ok_ ? Phase::kFunction : Phase::kIdle;
      break;
    case Phase::kFunction:
      if (b == 0x44) {
        ++conversions_;
        scratch_[0] = static_cast<std::uint8_t>(temperature_);
        scratch_[1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(temperature_) >> 8);
        scratch_[8] = OneWireCrc8(scratch_.data(), 8);
        busy_until_ = sim_->Cycles() + Cycles(convert_us_);
        phase_ = Phase::kConverting;
      } else if (b == 0xBE) {
        Send(scratch_.data(), scratch_.size());
      } else if (b == 0x4E) {
        phase_ = Phase::kWriteScratch;
        scratch_index_ = 0;
      } else {
        phase_ = Phase::kIdle;
      }
      break;
    case Phase::kWriteScratch:
      scratch_[static_cast<std::size_t>(2 + scratch_index_)] = b;
      scratch_[8] = OneWireCrc8(scratch_.data(), 8);
      if (++scratch_index_ == 3) phase_ = Phase::kIdle;
      break;
    default:
      break;
  }
}

}  // namespace qbc::test
