#pragma once
// A two-controller SED1520 panel (122 x 32) on the simulator's pins, answering while the
// program runs: the controllers share the data port, A0 (low: command, high: data) and
// R/W (high: read) and have an enable line each, E1 and E2, active high. Each holds 80
// columns x 4 pages (bit 0 the top pixel of a page), of which 61 are shown: the first
// controller's on the left, the second's from x = 61. A column counter advances after
// every data write and read (reads not in read-modify-write mode); a data read returns the
// output latch and then loads it from the current address, so a read after an address set
// needs a dummy read. Commands: column (0x00-0x4F), page (0xB8-0xBB), start line
// (0xC0-0xDF), display off/on (0xAE/0xAF), ADC select, static drive, duty, read-modify-
// write and its end, reset; a read puts the status (A0 low) or the latch on the data port
// from 90 ns after E rises until the instruction after E falls.
//
// Violations() lists an E pulse under 80 ns (write) or 100 ns (read), an E cycle under
// 1000 ns, A0 or R/W changed less than 20 ns before E rises, data changed less than 80 ns
// before E falls on a write, the program driving the data port while a controller does,
// both enables high at once, and every unknown command.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/panel_bitmap.h"
#include "tests/support/panel_data_bus.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct Sed1520Wiring {
  char data_port = 'A';
  char ctrl_port = 'C';
  int a0 = 0;
  int rw = 1;
  int e1 = 2;
  int e2 = 3;
};

class Sed1520Model {
 public:
  static constexpr int kColumns = 80;
  static constexpr int kShown = 61;
  static constexpr int kPages = 4;

  // Call after the program is loaded, before it runs; the model must outlive the run.
  Sed1520Model(SimRunner& sim, const Sed1520Wiring& wiring, double mhz);
  Sed1520Model(const Sed1520Model&) = delete;
  Sed1520Model& operator=(const Sed1520Model&) = delete;

  PanelBitmap Panel() const;
  std::uint8_t Ram(int chip, int page, int column) const { return chips_[chip].ram[page][column]; }
  bool DisplayOn(int chip) const { return chips_[chip].on; }
  const std::vector<std::string>& Violations() const { return bus_.Violations(); }

 private:
  struct Chip {
    std::array<std::array<std::uint8_t, kColumns>, kPages> ram{};
    int column = 0;
    int page = 0;
    int start = 0;
    bool on = false;
    bool modify = false;  // read-modify-write mode
    std::uint8_t latch = 0;
    std::uint64_t rose = 0;
    bool ever_rose = false;
    bool high = false;
  };

  void Rise(int n, std::uint64_t cycle);
  void Fall(int n, std::uint64_t cycle);
  void Command(Chip& chip, std::uint8_t byte, std::uint64_t cycle);
  bool Level(int pin) const;

  SimRunner& sim_;
  Sed1520Wiring wiring_;
  PanelDataBus bus_;
  Chip chips_[2];
  std::uint64_t changed_[8] = {};
};

}  // namespace qbc::test
