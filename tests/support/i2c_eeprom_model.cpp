#include "tests/support/i2c_eeprom_model.h"

#include <cstdio>

namespace qbc::test {

I2cEepromModel::I2cEepromModel(const I2cWiring& wiring) : wiring_(wiring) {}

void I2cEepromModel::Attach(SimRunner& sim) {
  sim_ = &sim;
  sda_ = std::make_unique<OpenDrainLine>(sim, wiring_.sda_port, wiring_.sda_bit);
  scl_ = std::make_unique<OpenDrainLine>(sim, wiring_.scl_port, wiring_.scl_bit);
  sda_->OnChange([this](std::uint64_t cycle, int level) { OnSda(cycle, level); });
  scl_->OnChange([this](std::uint64_t cycle, int level) { OnScl(cycle, level); });
}

int I2cEepromModel::Contention() const {
  return (sda_ ? sda_->Contention() : 0) + (scl_ ? scl_->Contention() : 0);
}

void I2cEepromModel::Check(std::uint64_t from, std::uint64_t to, double min_us, const char* what) {
  const double us = static_cast<double>(to - from) / wiring_.mhz;
  if (us + 1e-9 >= min_us) return;
  char text[160];
  std::snprintf(text, sizeof text, "%s %.3f us (at least %.2f) at cycle %llu", what, us, min_us,
                static_cast<unsigned long long>(to));
  violations_.emplace_back(text);
}

void I2cEepromModel::DriveSda(bool low) {
  if (low == sda_low_) return;
  sda_low_ = low;
  sda_->Pull(0, low);
}

// A start or stop comes in the high phase of the clock after a byte: one clock of the next
// byte has risen; from the second on it would cut a byte.
bool I2cEepromModel::InsideByte() const {
  return phase_ != Phase::kIdle && phase_ != Phase::kIgnore && bit_ >= 2 && bit_ <= 8;
}

void I2cEepromModel::OnSda(std::uint64_t cycle, int level) {
  if (scl_->Level() == 1) {
    if (level == 0) {
      // start, or a repeated start
      if (InsideByte()) violations_.push_back("start inside a byte at cycle " + std::to_string(cycle));
      if (stop_seen_ && !started_)
        Check(stop_, cycle, 4.7, "bus free before start");
      else if (scl_rise_seen_)
        Check(scl_rise_, cycle, 4.7, "start set-up");
      ++starts_;
      pending_.clear();
      phase_ = Phase::kAddress;
      bit_ = 0;
      shift_ = 0;
      acking_ = false;
      start_ = cycle;
      first_fall_after_start_ = true;
      started_ = true;
    } else {
      if (InsideByte()) violations_.push_back("stop inside a byte at cycle " + std::to_string(cycle));
      if (scl_rise_seen_) Check(scl_rise_, cycle, 4.0, "stop set-up");
      for (const auto& [address, byte] : pending_) memory_[address] = byte;
      pending_.clear();
      phase_ = Phase::kIdle;
      ++stops_;
      stop_ = cycle;
      stop_seen_ = true;
      started_ = false;
      DriveSda(false);
    }
  }
  sda_change_ = cycle;
  sda_change_seen_ = true;
}

void I2cEepromModel::OnScl(std::uint64_t cycle, int level) {
  if (level == 1)
    ClockRise(cycle);
  else
    ClockFall(cycle);
}

void I2cEepromModel::ClockRise(std::uint64_t cycle) {
  if (scl_fall_seen_) {
    Check(scl_fall_, cycle, 4.7, "SCL low");
    if (sda_change_seen_ && sda_change_ > scl_fall_) Check(sda_change_, cycle, 0.25, "data set-up");
  }
  scl_rise_ = cycle;
  scl_rise_seen_ = true;
  switch (phase_) {
    case Phase::kIdle:
    case Phase::kIgnore:
      return;
    case Phase::kRead:
      if (bit_ < 8) {
        ++bit_;
      } else if (bit_ == 8) {
        // the master's acknowledge: a low asks for the next byte
        next_phase_ = sda_->Level() == 0 ? Phase::kRead : Phase::kIgnore;
        bit_ = 9;
      }
      return;
    default:
      if (bit_ < 8) {
        shift_ = static_cast<std::uint8_t>((shift_ << 1) | sda_->Level());
        ++bit_;
      } else if (bit_ == 8) {
        bit_ = 9;
      }
      return;
  }
}

void I2cEepromModel::ByteReceived() {
  switch (phase_) {
    case Phase::kAddress:
      if ((shift_ & 0xFE) == wiring_.address) {
        ++acked_;
        acking_ = true;
        next_phase_ = (shift_ & 1) != 0 ? Phase::kRead : Phase::kWordAddress;
      } else {
        ++refused_;
        next_phase_ = Phase::kIgnore;
      }
      break;
    case Phase::kWordAddress:
      pointer_ = shift_;
      acking_ = true;
      next_phase_ = Phase::kWrite;
      break;
    case Phase::kWrite:
      pending_.emplace_back(pointer_, shift_);
      pointer_ = static_cast<std::uint8_t>((pointer_ & 0xF8) | ((pointer_ + 1) & 0x07));
      acking_ = true;
      next_phase_ = Phase::kWrite;
      break;
    default:
      break;
  }
  if (acking_) DriveSda(true);
}

void I2cEepromModel::ClockFall(std::uint64_t cycle) {
  if (scl_rise_seen_) Check(scl_rise_, cycle, 4.0, "SCL high");
  if (first_fall_after_start_) Check(start_, cycle, 4.0, "start hold");
  first_fall_after_start_ = false;
  scl_fall_ = cycle;
  scl_fall_seen_ = true;
  if (phase_ == Phase::kIdle || phase_ == Phase::kIgnore) return;
  if (phase_ == Phase::kRead) {
    if (bit_ >= 1 && bit_ <= 7) DriveSda((sending_ & (0x80 >> bit_)) == 0);
    if (bit_ == 8) DriveSda(false);  // the master acknowledges
  } else if (bit_ == 8) {
    ByteReceived();
    if (next_phase_ == Phase::kIgnore) phase_ = Phase::kIgnore;
    return;
  }
  if (bit_ != 9) return;
  // the end of an acknowledge clock
  const bool tookPart = acking_ || phase_ == Phase::kRead;
  if (acking_) DriveSda(false);
  acking_ = false;
  phase_ = next_phase_;
  bit_ = 0;
  shift_ = 0;
  if (phase_ == Phase::kRead) {
    sending_ = memory_[pointer_];
    pointer_ = static_cast<std::uint8_t>(pointer_ + 1);
    DriveSda((sending_ & 0x80) == 0);
  }
  if (tookPart && phase_ != Phase::kIgnore && wiring_.stretch_us > 0) {
    ++stretches_;
    scl_->Pull(0, true);
    sim_->After(static_cast<std::uint64_t>(wiring_.stretch_us * wiring_.mhz), [this] { scl_->Pull(0, false); });
  }
}

}  // namespace qbc::test
