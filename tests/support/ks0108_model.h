#pragma once
// An HD61202/KS0108 graphic panel on the simulator's pins, answering while the program
// runs: one chip on cs1 and a second on cs2 when wired, each 64 columns x 8 pages of
// display memory (bit 0 the top pixel of a page), a column counter that advances after
// every data read and write and wraps at 63, page and start-line registers, display on and
// off. The selects are active low. Commands and data are taken on E's falling edge by the
// selected chips (DI low: command, DI high: data, R/W low: write). A read puts the status
// (DI low) or the output latch (DI high) on the data port from 320 ns after E rises until
// the instruction after E falls; a data read returns the latch and then loads it from the
// current address, so a read after an address set needs a dummy read first.
//
// Violations() lists E high or low under 450 ns, an E cycle under 1000 ns, DI, R/W or a
// select changed less than 140 ns before E rises, data changed less than 200 ns before E
// falls on a write, a strobe while a chip is busy (4 us after every access: one clock of
// the chip's 250 kHz display clock), the program driving the data port while a chip does,
// and every unknown command. Columns and pages the program addresses outside the chips
// are unknown commands as well.
//
//   std::unique_ptr<test::Ks0108Model> lcd;
//   auto run = test::RunBasicWith(src, opts, {}, [&](test::SimRunner& s) {
//     lcd = std::make_unique<test::Ks0108Model>(s, test::Ks0108Wiring{}, 8.0);
//   });
//   EXPECT_TRUE(lcd->Panel().SameAs(art, "ks0108_box"));
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/panel_bitmap.h"
#include "tests/support/panel_data_bus.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct Ks0108Wiring {
  char data_port = 'A';
  char ctrl_port = 'C';
  int en = 0;
  int wr = 1;
  int di = 2;
  int cs1 = 3;
  int cs2 = 4;  // -1: one chip only
};

class Ks0108Model {
 public:
  static constexpr int kColumns = 64;
  static constexpr int kPages = 8;

  // Call after the program is loaded, before it runs; the model must outlive the run.
  Ks0108Model(SimRunner& sim, const Ks0108Wiring& wiring, double mhz);
  Ks0108Model(const Ks0108Model&) = delete;
  Ks0108Model& operator=(const Ks0108Model&) = delete;

  // What the glass shows: chip 1 on the left, each chip's start line applied, blank while
  // the chip is off.
  PanelBitmap Panel() const;
  std::uint8_t Ram(int chip, int page, int column) const { return chips_[chip].ram[page][column]; }
  bool DisplayOn(int chip) const { return chips_[chip].on; }
  int StartLine(int chip) const { return chips_[chip].start; }
  int DataWrites() const { return data_writes_; }
  int DataReads() const { return data_reads_; }
  const std::vector<std::string>& Violations() const { return bus_.Violations(); }

 private:
  struct Chip {
    std::array<std::array<std::uint8_t, kColumns>, kPages> ram{};
    int column = 0;
    int page = 0;
    int start = 0;
    bool on = false;
    std::uint8_t latch = 0;
    std::uint64_t busy_until = 0;
  };

  void Rise(std::uint64_t cycle);
  void Fall(std::uint64_t cycle);
  void Command(Chip& chip, std::uint8_t byte, std::uint64_t cycle);
  bool Selected(int chip) const;
  bool Level(int pin) const;

  SimRunner& sim_;
  Ks0108Wiring wiring_;
  PanelDataBus bus_;
  int chips_wired_;
  Chip chips_[2];
  // The last change of each control pin (by bit of the control port) and of the data pins.
  std::uint64_t changed_[8] = {};
  std::uint64_t rose_ = 0;
  std::uint64_t fell_ = 0;
  bool ever_rose_ = false;
  bool e_high_ = false;
  int data_writes_ = 0;
  int data_reads_ = 0;
};

}  // namespace qbc::test
