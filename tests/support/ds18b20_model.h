#pragma once
// A DS18B20-like 1-Wire thermometer on an OpenDrainLine, answering while the program runs.
// It hears the chip's pull on the line and keeps to the data sheet's windows, and lists in
// Faults() every step outside them:
//   reset low at least 480 us; after its release the line stays free 480 us, and the
//   device answers 30 us after the release with a presence pulse of 120 us;
//   a written 1 is low 1-15 us, a written 0 low 60-120 us; a read slot is low at least
//   1 us and let go before 15 us, when a device sending 0 releases the line (a sample after
//   that reads 1);
//   slots start at least 61 us apart (60 us of slot, 1 us of recovery after the line rose);
//   the chip never drives the line high (open drain).
// Commands: Read ROM 0x33, Skip ROM 0xCC, Match ROM 0x55, Convert T 0x44 (read slots
// return 0 while it converts), Write Scratchpad 0x4E (TH, TL, configuration), Read
// Scratchpad 0xBE (9 bytes, the last the CRC-8 of the others). Several devices share one
// line, each with its own device index; their 0s pull the line together.
//
//   OpenDrainLine line(sim, 'B', 0);
//   Ds18b20Model a(0x0000DEADBEEF, 0x0191), b(0x000000C0FFEE, -0x0037);
//   a.Attach(sim, line, 'B', 0, 0, 8.0);
//   b.Attach(sim, line, 'B', 0, 1, 8.0);
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/open_drain_line.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

// The 1-Wire CRC-8 (x^8 + x^5 + x^4 + 1, least significant bit first).
std::uint8_t OneWireCrc8(const std::uint8_t* data, std::size_t n);

class Ds18b20Model {
 public:
  // `serial`: the 48 bits between family code 0x28 and the CRC; `temperature`: the raw
  // 16ths of a degree that Convert T puts in the scratchpad.
  Ds18b20Model(std::uint64_t serial, std::int16_t temperature, double convert_us = 2000);

  // Puts the device as device `index` on the line of pin `bit` of port `port` (before the
  // run); `mhz` converts cycles to microseconds.
  void Attach(SimRunner& sim, OpenDrainLine& line, char port, int bit, int index, double mhz);

  std::array<std::uint8_t, 8> Rom() const { return rom_; }
  std::array<std::uint8_t, 9> Scratchpad() const { return scratch_; }
  const std::vector<std::string>& Faults() const { return faults_; }
  // Every byte of write slots since the start, as this device heard it.
  const std::vector<std::uint8_t>& Heard() const { return heard_; }
  int Resets() const { return resets_; }
  int Conversions() const { return conversions_; }

 private:
  enum class Phase { kIdle, kRomCommand, kMatchRom, kFunction, kSending, kConverting, kWriteScratch };

  void ChipPull(std::uint64_t cycle, bool low);
  void Fall(std::uint64_t cycle);
  void Rise(std::uint64_t cycle);
  void Reset(std::uint64_t cycle);
  void WrittenBit(int bit);
  void Byte(std::uint8_t b);
  void Send(const std::uint8_t* data, std::size_t n);
  int NextBitToSend(std::uint64_t cycle);
  void Fault(std::uint64_t cycle, const std::string& what);
  double Us(std::uint64_t cycles) const { return static_cast<double>(cycles) / mhz_; }
  std::uint64_t Cycles(double us) const { return static_cast<std::uint64_t>(us * mhz_ + 0.5); }

  std::array<std::uint8_t, 8> rom_{};
  std::array<std::uint8_t, 9> scratch_{};
  std::int16_t temperature_;
  double convert_us_;

  SimRunner* sim_ = nullptr;
  OpenDrainLine* line_ = nullptr;
  int index_ = 0;
  double mhz_ = 1;

  bool chip_low_ = false;
  std::uint64_t fall_ = 0;          // the chip's last pull
  bool any_fall_ = false;
  std::uint64_t free_from_ = 0;     // no slot may start before this cycle
  std::uint64_t line_rise_ = 0;     // the line's last rise
  bool read_slot_ = false;          // the slot that began at fall_ reads from the devices

  Phase phase_ = Phase::kIdle;
  int bit_count_ = 0;
  std::uint8_t shift_ = 0;
  int match_index_ = 0;
  bool match_ok_ = true;
  int scratch_index_ = 0;
  std::vector<int> out_bits_;
  std::size_t out_next_ = 0;
  std::uint64_t busy_until_ = 0;

  std::vector<std::string> faults_;
  std::vector<std::uint8_t> heard_;
  int resets_ = 0;
  int conversions_ = 0;
};

}  // namespace qbc::test
