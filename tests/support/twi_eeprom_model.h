#pragma once
// A 24C02-like serial EEPROM on the chip's TWI unit, answering simavr's TWI bus messages
// while the program runs (no pins). 256 bytes; the device address 0xA0 (write) / 0xA1
// (read) by default; any other address gets no answer, so the master sees no acknowledge.
// A write gives the word address and then data bytes, which land at the stop in the
// 8-byte page of the address (the address rolls over within the page); a read continues
// at the current address, so a write of the word address alone, a repeated start and
// reads make a random read, and further reads a sequential one.
//
// Log() lists what the slave saw, one entry per message:
//   "S A0+"     a start with address 0xA0, acknowledged ("-": not; any address is logged)
//   "W 10+"     a data byte written to it, acknowledged
//   "R C3+"     a byte it sent, acknowledged by the master ("-": the master's last byte)
//   "P"         a stop
// Cycles() holds the simulator's cycle count at each entry.
//
//   test::TwiEepromModel eeprom;
//   auto run = test::RunBasicWith(src, opts, {}, [&](test::SimRunner& s) { eeprom.Attach(s); });
//   EXPECT_EQ(eeprom.Memory()[0x10], 11);
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

class TwiEepromModel {
 public:
  explicit TwiEepromModel(std::uint8_t address = 0xA0) : address_(address) {}

  // Listens to the chip's TWI unit; call after the program is loaded, before it runs.
  void Attach(SimRunner& sim);

  std::array<std::uint8_t, 256>& Memory() { return memory_; }
  const std::vector<std::string>& Log() const { return log_; }
  const std::vector<std::uint64_t>& Cycles() const { return cycles_; }
  // Messages the model could not place (a byte written while it is addressed for reading,
  // a read while it is not addressed for reading, a condition it does not know); empty
  // for a well-formed conversation.
  const std::vector<std::string>& Oddities() const { return oddities_; }

 private:
  void OnMessage(std::uint32_t value);
  void Note(std::string entry);

  std::uint8_t address_;
  SimRunner* sim_ = nullptr;
  std::array<std::uint8_t, 256> memory_{};
  std::vector<std::pair<std::uint8_t, std::uint8_t>> pending_;  // address, byte
  std::vector<std::string> log_;
  std::vector<std::uint64_t> cycles_;
  std::vector<std::string> oddities_;

  bool selected_ = false;     // addressed since the last start
  bool reading_ = false;      // addressed with the read bit
  bool have_pointer_ = false; // the word address of this write has come
  std::uint8_t pointer_ = 0;
};

}  // namespace qbc::test
