#pragma once
// A T6963C graphic LCD controller on the simulator's pins, live: it answers status and
// data reads while the program runs. The chip reaches it through an 8-bit data port and
// four active-low lines (RD, WR, C/D, CE).
//
// - A read strobe (CE and RD low) drives the bus from the access time after it falls until
//   it rises: the status (STA0 and STA1, both clear for the busy time after every command
//   or data write) with C/D high, the byte the last read command fetched with C/D low.
// - A write strobe (CE and WR low) latches the bus when the first of them rises: a command
//   with C/D high, a data byte with C/D low.
// - Commands: pointer sets (0x21, 0x22, 0x24), home and area sets (0x40 to 0x43), mode set
//   (0x80 to 0x87), display mode (0x90 to 0x9F), cursor pattern (0xA0 to 0xA7), data write
//   and read with increment, decrement or none (0xC0 to 0xC5), bit reset and set (0xF0 to
//   0xFF); 64 KB of display memory.
// - The panel: the graphic layer from graphic home and area, `pixels_per_byte` pixels per
//   byte (8, or 6 with the module's "fs" pin high), the left pixel in the top bit used;
//   the text layer as a grid of character codes. With `split` the lower half of the panel
//   is shown from 0x8000 on, each half from its own first row.
//
// Violations() lists a write while STA0 or STA1 is clear, C/D changing inside a strobe, a
// strobe under 80 ns, a command outside the set, and a command short of its data bytes.
//
//   test::T6963Model lcd({.width = 240, .height = 64}, 16.0);
//   auto run = test::RunBasicWith(src, opts, {}, [&](test::SimRunner& s) { lcd.Attach(s); });
//   EXPECT_TRUE(lcd.Graphic().SameAs(art, "boxes"));
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/panel_bitmap.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct T6963Wiring {
  char data_port = 'A';
  char ctrl_port = 'C';
  int rd = 0;
  int wr = 1;
  int cd = 2;
  int ce = 3;
  int width = 240;
  int height = 64;
  bool split = false;
  int pixels_per_byte = 8;
  int busy_ns = 1500;
  int access_ns = 150;
  bool never_ready = false;  // a missing or dead display: the status never reports ready
};

class T6963Model {
 public:
  T6963Model(const T6963Wiring& wiring, double mhz);

  // Hooks the twelve pins; call after the program is loaded and before it runs.
  void Attach(SimRunner& sim);

  // Display memory as it is before the program runs (power-up contents are undefined).
  void Preset(std::uint8_t byte) { memory_.assign(memory_.size(), byte); }

  PanelBitmap Graphic() const;
  // The text layer's character codes, one string of codes per row ('.' for code 0, the
  // code plus 0x20 as ASCII otherwise, '?' beyond it).
  std::vector<std::string> Text() const;
  std::uint8_t Memory(int address) const { return memory_[address & 0xFFFF]; }
  int TextHome() const { return text_home_; }
  int TextArea() const { return text_area_; }
  int GraphicHome() const { return graphic_home_; }
  int GraphicArea() const { return graphic_area_; }
  int Mode() const { return mode_; }
  int DisplayMode() const { return display_mode_; }
  int AddressPointer() const { return pointer_; }
  int Commands() const { return commands_; }
  int StatusReads() const { return status_reads_; }
  // Every address a data write or bit command changed outside the two layers (each its
  // area's bytes a row, the panel's rows).
  std::vector<int> WritesOutsideLayers() const;
  const std::vector<std::string>& Violations() const { return violations_; }

 private:
  bool Low(int bit) const;
  void ControlChanged(std::uint64_t cycle, int bit);
  void StrobeStarts(std::uint64_t cycle, bool read);
  void StrobeEnds(std::uint64_t cycle);
  void Latch(std::uint64_t cycle, bool command, std::uint8_t byte);
  void Command(std::uint64_t cycle, std::uint8_t byte);
  void Store(int address, std::uint8_t byte);
  void Drive(std::uint8_t byte);
  void Release();
  std::uint8_t Bus() const;
  bool Ready(std::uint64_t cycle) const;
  int LayerAddress(int home, int area, int row, int column, int rows) const;
  void Violation(std::uint64_t cycle, const std::string& what);
  std::uint64_t Cycles(int ns) const;

  T6963Wiring w_;
  double mhz_;
  SimRunner* sim_ = nullptr;
  std::vector<std::uint8_t> memory_ = std::vector<std::uint8_t>(0x10000, 0);
  bool ctrl_low_[8] = {};
  int data_out_[8] = {};
  enum class Strobe { None, Read, Write } strobe_ = Strobe::None;
  std::uint64_t strobe_start_ = 0;
  bool strobe_cd_high_ = true;
  unsigned strobe_id_ = 0;
  bool driving_ = false;
  std::uint64_t busy_until_ = 0;
  std::vector<std::uint8_t> params_;
  std::uint8_t read_latch_ = 0;
  int pointer_ = 0;
  int text_home_ = 0;
  int text_area_ = 0;
  int graphic_home_ = 0;
  int graphic_area_ = 0;
  int mode_ = 0;
  int display_mode_ = 0;
  int commands_ = 0;
  int status_reads_ = 0;
  std::set<int> written_;
  std::vector<std::string> violations_;
};

}  // namespace qbc::test
