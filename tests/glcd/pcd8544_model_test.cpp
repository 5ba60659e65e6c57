// The PCD8544 panel model itself, driven by hand-written pin sequences: what it decodes,
// what it shows and which timing and command faults it counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/pcd8544_model.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

// SDIN PB0, SCLK PB1, D/C PB2, SCE PB3. The model runs at 80 MHz (12.5 ns a cycle), so one
// "ldi, out" step is 25 ns, a nop 12.5 ns, and the timing limits fall between the steps.
constexpr double kMhz = 80.0;
constexpr int kSdin = 1, kSclk = 2, kDc = 4, kSce = 8;

struct Timing {
  int setup = 8;  // nops between SDIN and SCLK rising
  int high = 8;
  int low = 8;
};

class PinScript {
 public:
  void State(int value, int nops) {
    text_ += "  ldi r16," + std::to_string(value) + "\n  out PORTB,r16\n";
    for (int i = 0; i < nops; ++i) text_ += "  nop\n";
  }
  // Selects the chip, sends `bits` bits of `byte` (MSB first) with D/C = `data`, and
  // deselects it.
  void Byte(bool data, int byte, const Timing& t = {}, int bits = 8) {
    const int dc = data ? kDc : 0;
    State(dc, 8);
    for (int i = 7; i >= 8 - bits; --i) {
      const int sdin = (byte >> i) & 1 ? kSdin : 0;
      State(dc | sdin, t.setup);
      State(dc | sdin | kSclk, t.high);
      State(dc | sdin, t.low);
    }
    State(dc | kSce, 8);
  }
  void Commands(const std::vector<int>& bytes) {
    for (int b : bytes) Byte(false, b);
  }
  void Data(const std::vector<int>& bytes) {
    for (int b : bytes) Byte(true, b);
  }
  std::string Program() const {
    return DeviceInclude("m8") + "\n  ldi r16,15\n  out DDRB,r16\n  ldi r16,8\n  out PORTB,r16\n" + text_ +
           "end:\n  rjmp end\n";
  }

 private:
  std::string text_;
};

Pcd8544Model Play(const PinScript& script) {
  Pcd8544Model lcd({}, kMhz);
  auto a = AssembleAsm(script.Program());
  EXPECT_TRUE(a.ok) << a.output;
  SimRunner sim({.mcu = "atmega8", .frequency = 8000000});
  EXPECT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  lcd.Watch(sim);
  EXPECT_EQ(sim.Run(), SimStop::EndLoop);
  lcd.Decode(sim);
  return lcd;
}

const std::vector<int> kInit = {0x21, 0xC8, 0x06, 0x13, 0x20, 0x0C};

TEST(Pcd8544Model, TakesTheSettingsAndWritesDataAtTheAddressAcrossTheBankEnd) {
  PinScript s;
  s.Commands(kInit);
  s.Commands({0x80 + 82, 0x40 + 2});
  s.Data({0xFF, 0x81, 0x18});
  const Pcd8544Model lcd = Play(s);
  EXPECT_TRUE(lcd.Violations().empty()) << lcd.Violations().front();
  EXPECT_EQ(lcd.Vop(), 0x48);
  EXPECT_EQ(lcd.TemperatureCoefficient(), 2);
  EXPECT_EQ(lcd.Bias(), 3);
  EXPECT_FALSE(lcd.Extended());
  EXPECT_FALSE(lcd.PowerDown());
  EXPECT_EQ(lcd.DisplayMode(), Pcd8544Model::Mode::Normal);
  EXPECT_EQ(lcd.Ram(2, 82), 0xFF);
  EXPECT_EQ(lcd.Ram(2, 83), 0x81);
  EXPECT_EQ(lcd.Ram(3, 0), 0x18);  // horizontal addressing runs on into the next bank
  std::vector<std::string> art = BlankArt(84, 48);
  PutColumnBytes(art, 82, 2, {0xFF, 0x81});
  PutColumnBytes(art, 0, 3, {0x18});
  EXPECT_TRUE(lcd.Panel().SameAs(art, "pcd_model_data"));
}

TEST(Pcd8544Model, VerticalAddressingRunsDownTheBanksThenToTheNextColumn) {
  PinScript s;
  s.Commands({0x22, 0x0C, 0x80 + 5, 0x40 + 5});
  s.Data({1, 2});
  const Pcd8544Model lcd = Play(s);
  EXPECT_TRUE(lcd.VerticalAddressing());
  EXPECT_EQ(lcd.Ram(5, 5), 1);
  EXPECT_EQ(lcd.Ram(0, 6), 2);
}

TEST(Pcd8544Model, ShowsTheDisplayModes) {
  struct Case {
    int control;
    Pcd8544Model::Mode mode;
    int lit;  // pixels lit with one byte 0x0F written
  };
  const Case cases[] = {{0x08, Pcd8544Model::Mode::Blank, 0},
                        {0x09, Pcd8544Model::Mode::AllOn, 84 * 48},
                        {0x0C, Pcd8544Model::Mode::Normal, 4},
                        {0x0D, Pcd8544Model::Mode::Inverse, 84 * 48 - 4}};
  for (const Case& c : cases) {
    PinScript s;
    s.Commands({0x20, c.control, 0x80, 0x40});
    s.Data({0x0F});
    const Pcd8544Model lcd = Play(s);
    EXPECT_EQ(lcd.DisplayMode(), c.mode) << c.control;
    EXPECT_EQ(lcd.Panel().SetPixels(), c.lit) << c.control;
  }
}

TEST(Pcd8544Model, DropsAByteCutShortBySce) {
  PinScript s;
  s.Commands({0x20, 0x0C, 0x80, 0x40});
  s.Byte(true, 0xFF, {}, 5);
  s.Data({0x42});
  const Pcd8544Model lcd = Play(s);
  EXPECT_EQ(lcd.DroppedBytes(), 1);
  EXPECT_EQ(lcd.Ram(0, 0), 0x42);
  EXPECT_TRUE(lcd.Violations().empty());
}

TEST(Pcd8544Model, CountsEachTimingAndCommandFault) {
  struct Case {
    const char* fault;
    Timing timing;
    std::vector<int> commands;
  };
  // A step without nops is 25 ns, with one nop 37.5 ns; with eight 125 ns.
  const Case cases[] = {
      {"SCLK high under 100 ns", {.high = 0}, {0x20}},
      {"SCLK low under 100 ns", {.setup = 0, .low = 0}, {0x20}},
      {"SCLK period under 250 ns", {.setup = 1, .high = 1, .low = 1}, {0x20}},
      {"SDIN changed under 100 ns before SCLK rose", {.setup = 0}, {0x20}},
      {"Y address 6 outside 0 to 5", {}, {0x20, 0x46}},
      {"X address 84 outside 0 to 83", {}, {0x20, 0x80 + 84}},
      {"command 0x01 outside the data sheet", {}, {0x20, 0x01}},
      {"extended command 0x08 outside the data sheet", {}, {0x21, 0x08}},
  };
  for (const Case& c : cases) {
    PinScript s;
    for (int b : c.commands) s.Byte(false, b, c.timing);
    const Pcd8544Model lcd = Play(s);
    bool found = false;
    for (const std::string& v : lcd.Violations()) found |= v.starts_with(c.fault);
    EXPECT_TRUE(found) << c.fault;
  }
}

TEST(Pcd8544Model, CountsDcChangedInsideAByte) {
  PinScript s;
  s.State(0, 8);
  for (int i = 0; i < 8; ++i) {
    const int dc = i < 4 ? 0 : kDc;
    s.State(dc, 8);
    s.State(dc | kSclk, 8);
    s.State(dc, 8);
  }
  s.State(kSce, 8);
  const Pcd8544Model lcd = Play(s);
  ASSERT_EQ(lcd.Violations().size(), 1u);
  EXPECT_TRUE(lcd.Violations()[0].starts_with("D/C changed inside a byte"));
}

}  // namespace
}  // namespace qbc::test
