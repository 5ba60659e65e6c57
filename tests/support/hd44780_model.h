#pragma once
// An HD44780 character display on the simulator's pins, decoded from the pin changes a run
// recorded: a byte is latched on E's falling edge, the controller starts in 8-bit mode
// (function set switches to 4 data lines D4..D7), keeps DDRAM and CGRAM, and is busy after
// power-up (15 ms), after the reset-by-instruction function sets (4.1 ms, 100 us), after
// every command (37 us) and after clear and home (1.52 ms). Faults() lists every transfer
// while busy, every E pulse shorter than 450 ns and data or RS that changed too close to
// the edge. The KS0073's extended function set (RE bit) and its 4-line addresses are kept.
//
//   test::Hd44780Model lcd({.data_port = 'D', .data_offset = 4, .rs_port = 'B', .rs_bit = 0,
//                           .e_port = 'B', .e_bit = 1}, 8.0);
//   auto run = test::RunBasicWith(src, opts, {}, [&](test::SimRunner& s) { lcd.Watch(s); });
//   lcd.Decode(*run->sim);
//   EXPECT_EQ(lcd.Row(1, 16, 2), "Hi              ");
//
// Two controllers behind one display (40x4) are two models on the same data and RS pins,
// each with its own E: each decodes only the pulses of its E line.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

struct LcdWiring {
  char data_port = 'B';
  int data_offset = 0;  // the pin of D4 (4-bit) or D0 (8-bit)
  bool eight_bit = false;
  char rs_port = 'B';
  int rs_bit = 0;
  char e_port = 'B';
  int e_bit = 1;
};

class Hd44780Model {
 public:
  Hd44780Model(const LcdWiring& wiring, double mhz);

  // Watches the display's pins; call before the run.
  void Watch(SimRunner& sim) const;
  // Plays every E pulse the run recorded into the controller.
  void Decode(const SimRunner& sim);

  // The characters row `row` (1..rows) shows on a display of `columns` x `rows`.
  std::string Row(int row, int columns, int rows) const;
  const std::vector<std::string>& Faults() const { return faults_; }
  int Transfers() const { return transfers_; }
  // Every byte written with RS high (DDRAM or CGRAM), in order: on a display of two
  // controllers sharing data and RS, a stray E pulse shows here as a byte too many.
  const std::string& DataWrites() const { return data_writes_; }
  // Display control bits: display 4, cursor 2, blink 1.
  int DisplayControl() const { return control_; }
  std::uint8_t Cgram(int address) const { return cgram_[address & 0x3F]; }
  bool FourBitMode() const { return !eight_bit_mode_; }

 private:
  void Latch(std::uint64_t cycle, bool rs, int value);
  void Execute(std::uint64_t cycle, bool rs, std::uint8_t byte);
  void Fault(std::uint64_t cycle, const std::string& what);
  std::uint64_t Us(double us) const;

  LcdWiring wiring_;
  double mhz_;
  std::vector<std::string> faults_;
  int transfers_ = 0;
  std::string data_writes_;
  std::uint64_t busy_until_;
  bool eight_bit_mode_ = true;
  bool first_nibble_done_ = false;
  int high_nibble_ = 0;
  int function_sets_ = 0;  // 8-bit function sets of the reset by instruction
  bool extended_ = false;  // KS0073 RE bit
  bool four_line_ = false;
  bool two_line_ = false;
  bool to_cgram_ = false;
  bool increment_ = true;
  int address_ = 0;
  int control_ = 0;
  std::uint8_t ddram_[128];
  std::uint8_t cgram_[64] = {};
};

}  // namespace qbc::test
