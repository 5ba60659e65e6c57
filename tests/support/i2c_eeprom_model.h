#pragma once
// A 24C02-like serial EEPROM on a software I2C bus of the simulated chip: two open-drain
// lines with pull-ups (SDA, SCL), answered while the program runs. 256 bytes; the device
// address 0xA0 (write) / 0xA1 (read); any other address is not acknowledged. A write
// gives the word address and then data bytes, which land at the stop in the 8-byte page
// of the address (the address rolls over within the page); a read continues at the
// current address, so a write of the word address alone, a repeated start and reads make
// a random read, and further acknowledged reads a sequential one.
//
// The slave drives its data bit on the clock's falling edge and holds it through the high
// phase, as the chip does, so a master that misplaces a start or a clock reads what the
// chip would. With `stretch_us` the slave holds the clock low that long after every
// acknowledge clock it takes part in.
//
// Violations() lists every breach of the standard-mode timing (SCL low >= 4.7 us, high
// >= 4.0 us, data set-up >= 250 ns, start hold >= 4.0 us, repeated-start set-up >= 4.7 us,
// stop set-up >= 4.0 us, bus free between stop and start >= 4.7 us) and every start or
// stop inside a byte.
//
//   test::I2cEepromModel eeprom({.sda_port = 'C', .sda_bit = 1, .scl_port = 'C', .scl_bit = 0, .mhz = 8});
//   auto run = test::RunBasicWith(src, opts, {}, [&](test::SimRunner& s) { eeprom.Attach(s); });
//   EXPECT_EQ(eeprom.Memory()[0x10], 11);
//   EXPECT_TRUE(eeprom.Violations().empty());
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/open_drain_line.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct I2cWiring {
  char sda_port = 'C';
  int sda_bit = 1;
  char scl_port = 'C';
  int scl_bit = 0;
  double mhz = 8;
  double stretch_us = 0;  // clock held low after each acknowledge clock (0: never)
  std::uint8_t address = 0xA0;
};

class I2cEepromModel {
 public:
  explicit I2cEepromModel(const I2cWiring& wiring);

  // Puts the lines on the chip's pins; call after the program is loaded, before it runs.
  void Attach(SimRunner& sim);

  std::array<std::uint8_t, 256>& Memory() { return memory_; }
  const std::vector<std::string>& Violations() const { return violations_; }
  // Times the chip drove a line high while the slave held it low.
  int Contention() const;
  int Starts() const { return starts_; }
  int Stops() const { return stops_; }
  int AddressesAcknowledged() const { return acked_; }
  int AddressesRefused() const { return refused_; }
  int Stretches() const { return stretches_; }

 private:
  enum class Phase : std::uint8_t { kIdle, kAddress, kWordAddress, kWrite, kRead, kIgnore };

  void OnSda(std::uint64_t cycle, int level);
  void OnScl(std::uint64_t cycle, int level);
  void ClockRise(std::uint64_t cycle);
  void ClockFall(std::uint64_t cycle);
  void ByteReceived();
  void DriveSda(bool low);
  bool InsideByte() const;
  void Check(std::uint64_t from, std::uint64_t to, double min_us, const char* what);

  I2cWiring wiring_;
  SimRunner* sim_ = nullptr;
  std::unique_ptr<OpenDrainLine> sda_;
  std::unique_ptr<OpenDrainLine> scl_;
  std::array<std::uint8_t, 256> memory_{};
  std::vector<std::pair<std::uint8_t, std::uint8_t>> pending_;  // address, byte
  std::vector<std::string> violations_;

  Phase phase_ = Phase::kIdle;
  Phase next_phase_ = Phase::kIdle;  // taken at the end of the acknowledge clock
  int bit_ = 0;  // clocks of the current byte: 1..8 data, 9 the acknowledge clock
  std::uint8_t shift_ = 0;
  std::uint8_t pointer_ = 0;
  std::uint8_t sending_ = 0;
  bool acking_ = false;  // the slave holds SDA low for this byte's acknowledge
  bool sda_low_ = false;
  bool started_ = false;

  std::uint64_t scl_rise_ = 0, scl_fall_ = 0, sda_change_ = 0, start_ = 0, stop_ = 0;
  bool scl_rise_seen_ = false, scl_fall_seen_ = false, sda_change_seen_ = false, stop_seen_ = false, first_fall_after_start_ = false;
  int starts_ = 0, stops_ = 0, acked_ = 0, refused_ = 0, stretches_ = 0;
};

}  // namespace qbc::test
