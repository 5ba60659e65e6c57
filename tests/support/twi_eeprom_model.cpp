#include "tests/support/twi_eeprom_model.h"

#include <avr_twi.h>

#include <cstdio>

namespace qbc::test {

namespace {

std::string Hex(std::uint8_t v) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", v);
  return text;
}

}  // namespace

void TwiEepromModel::Attach(SimRunner& sim) {
  sim_ = &sim;
  sim.OnTwiMessage([this](std::uint32_t value) { OnMessage(value); });
}

void TwiEepromModel::Note(std::string entry) {
  log_.push_back(std::move(entry));
  cycles_.push_back(sim_ ? sim_->Cycles() : 0);
}

void TwiEepromModel::OnMessage(std::uint32_t value) {
  avr_twi_msg_irq_t m;
  m.u.v = value;
  const std::uint8_t cond = m.u.twi.msg;
  const std::uint8_t addr = m.u.twi.addr;
  const std::uint8_t data = m.u.twi.data;
  auto ack = [&](bool yes) { sim_->TwiInput(avr_twi_irq_msg(TWI_COND_ACK, addr, yes ? 1 : 0)); };

  if (cond & TWI_COND_STOP) {
    Note("P");
    for (const auto& [at, byte] : pending_) memory_[at] = byte;
    pending_.clear();
    selected_ = false;
    return;
  }
  if (cond & TWI_COND_START) {
    // A start carries the address byte the master sent after it.
    selected_ = (addr & 0xFE) == address_;
    reading_ = (addr & 1) != 0;
    have_pointer_ = false;
    if (selected_) ack(true);
    Note("S " + Hex(addr) + (selected_ ? "+" : "-"));
    return;
  }
  if (cond & TWI_COND_WRITE) {
    if (!selected_ || reading_) {
      // a byte after an address no one took goes over the bus unanswered
      if (selected_) oddities_.push_back("write " + Hex(data) + " while addressed for reading");
      Note("W " + Hex(data) + "-");
      return;
    }
    if (!have_pointer_) {
      pointer_ = data;
      have_pointer_ = true;
    } else {
      pending_.emplace_back(pointer_, data);
      pointer_ = static_cast<std::uint8_t>((pointer_ & 0xF8) | ((pointer_ + 1) & 0x07));
    }
    ack(true);
    Note("W " + Hex(data) + "+");
    return;
  }
  if (cond & TWI_COND_READ) {
    if (!selected_ || !reading_) {
      oddities_.push_back("read while not addressed for reading");
      Note("R ?");
      return;
    }
    const std::uint8_t byte = memory_[pointer_];
    pointer_ = static_cast<std::uint8_t>(pointer_ + 1);
    sim_->TwiInput(avr_twi_irq_msg(TWI_COND_READ, addr, byte));
    Note("R " + Hex(byte) + ((cond & TWI_COND_ACK) ? "+" : "-"));
    return;
  }
  oddities_.push_back("unknown message " + Hex(cond));
}

}  // namespace qbc::test
