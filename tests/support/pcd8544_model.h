#pragma once
// A PCD8544 (84 x 48 graphic display) on the simulator's pins, decoded after the run from
// the changes of its four wired inputs: a bit is taken on SCLK's rising edge while SCE is
// low, most significant bit first, D/C is sampled with the eighth bit, and a byte cut short
// by SCE going high is dropped. It keeps the function set (PD, V, H), the extended
// settings (Vop, temperature coefficient, bias), the display control (blank, normal, all
// segments on, inverse), the X and Y address with horizontal or vertical increment, and
// 6 banks x 84 bytes of display memory (bit 0 the top row of a bank). The reset line is
// taken as pulsed before the program starts.
//
// Violations() lists every SCLK high or low time under 100 ns, SCLK period under 250 ns,
// SDIN change less than 100 ns before a rising SCLK edge, D/C change inside a byte, and
// every address or command the data sheet does not define.
//
//   test::Pcd8544Model lcd(test::kPcdOnPortB, 8.0);
//   auto run = test::RunBasicWith(src, opts, {}, [&](test::SimRunner& s) { lcd.Watch(s); });
//   lcd.Decode(*run->sim);
//   EXPECT_TRUE(lcd.Panel().SameAs(art, "hello"));
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/panel_bitmap.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {

struct Pcd8544Wiring {
  char sdin_port = 'B';
  int sdin_bit = 0;
  char sclk_port = 'B';
  int sclk_bit = 1;
  char dc_port = 'B';
  int dc_bit = 2;
  char sce_port = 'B';
  int sce_bit = 3;
};

class Pcd8544Model {
 public:
  static constexpr int kColumns = 84;
  static constexpr int kBanks = 6;
  enum class Mode { Blank, Normal, AllOn, Inverse };
  struct Transfer {
    bool data;  // D/C high
    std::uint8_t byte;
  };

  Pcd8544Model(const Pcd8544Wiring& wiring, double mhz);

  // Watches the four pins; call before the run.
  void Watch(SimRunner& sim) const;
  // Plays every change the run recorded into the controller.
  void Decode(const SimRunner& sim);

  // What the glass shows: display memory through the display mode (nothing in power-down).
  PanelBitmap Panel() const;
  std::uint8_t Ram(int bank, int column) const { return ram_[bank][column]; }
  Mode DisplayMode() const { return mode_; }
  bool PowerDown() const { return power_down_; }
  bool VerticalAddressing() const { return vertical_; }
  bool Extended() const { return extended_; }
  int Vop() const { return vop_; }
  int TemperatureCoefficient() const { return temp_; }
  int Bias() const { return bias_; }
  int X() const { return x_; }
  int Y() const { return y_; }

  // Every complete byte in order, and the number of bytes dropped by SCE.
  const std::vector<Transfer>& Transfers() const { return transfers_; }
  int DroppedBytes() const { return dropped_; }
  const std::vector<std::string>& Violations() const { return violations_; }

 private:
  void Execute(std::uint64_t cycle, bool data, std::uint8_t byte);
  void Command(std::uint64_t cycle, std::uint8_t byte);
  void Violation(std::uint64_t cycle, const std::string& what);

  Pcd8544Wiring wiring_;
  double mhz_;
  std::uint8_t ram_[kBanks][kColumns] = {};
  Mode mode_ = Mode::Blank;
  bool power_down_ = true;
  bool vertical_ = false;
  bool extended_ = false;
  int vop_ = 0;
  int temp_ = 0;
  int bias_ = 0;
  int x_ = 0;
  int y_ = 0;
  std::vector<Transfer> transfers_;
  int dropped_ = 0;
  std::vector<std::string> violations_;
};

}  // namespace qbc::test
