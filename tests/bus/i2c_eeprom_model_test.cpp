// The 24C02-like model itself, driven by small hand-timed masters on an m8 at 20 MHz (SDA
// on PC1, SCL on PC0): it takes a write of good timing into its memory, and lists each
// breach of the standard-mode timing a master can make, one at a time.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/i2c_eeprom_model.h"
#include "tests/support/sim_runner.h"

namespace qbc::test {
namespace {

constexpr int kMhz = 20;

// Phase lengths of a master, in microseconds (standard mode asks for at least 4.7 low,
// 4.0 high, 0.25 data set-up, 4.0 start hold, 4.7 repeated-start set-up, 4.0 stop set-up,
// 4.7 bus free).
struct Timing {
  double low = 6, high = 5, setup = 2, hold = 5, stop_setup = 5, free = 6, repeat_setup = 6;
};

// Straight-line master text; waits count r24:r25 down (4 cycles a pass).
class Master {
 public:
  explicit Master(const Timing& t) : t_(t) {}
  Master& Wait(double us) {
    const long passes = static_cast<long>(us * kMhz / 4);
    if (passes < 1) return *this;
    const std::string l = "w" + std::to_string(++labels_);
    return Raw("ldi r24,low(" + std::to_string(passes) + ")")
        .Raw("ldi r25,high(" + std::to_string(passes) + ")")
        .Raw(l + ": sbiw r24,1")
        .Raw("brne " + l);
  }
  Master& Sda(bool low) { return Raw(low ? "sbi DDRC,1" : "cbi DDRC,1"); }
  Master& Scl(bool low) { return Raw(low ? "sbi DDRC,0" : "cbi DDRC,0"); }
  Master& Start() { return Sda(true).Wait(t_.hold); }
  Master& RepeatedStart() { return Scl(true).Sda(false).Wait(t_.low).Scl(false).Wait(t_.repeat_setup).Start(); }
  Master& Bit(int bit) {
    return Scl(true).Wait(t_.low - t_.setup).Sda(bit == 0).Wait(t_.setup).Scl(false).Wait(t_.high);
  }
  // Eight bits and the acknowledge clock with the data line let go.
  Master& Byte(int value, int bits = 8) {
    for (int k = 7; k > 7 - bits; --k) Bit((value >> k) & 1);
    return bits == 8 ? Bit(1) : *this;
  }
  Master& Stop() { return Scl(true).Sda(true).Wait(t_.low).Scl(false).Wait(t_.stop_setup).Sda(false).Wait(t_.free); }
  Master& Raw(const std::string& line) {
    text_ += "  " + line + "\n";
    return *this;
  }
  std::string Program() const { return DeviceInclude("m8") + "\n  cbi PORTC,0\n  cbi PORTC,1\n" + text_ + "end: rjmp end\n"; }

 private:
  Timing t_;
  std::string text_;
  int labels_ = 0;
};

// The master's program on the chip with the model on its lines.
std::unique_ptr<I2cEepromModel> RunMaster(const Master& m) {
  auto eeprom = std::make_unique<I2cEepromModel>(I2cWiring{.mhz = kMhz});
  const AsmResult a = AssembleAsm(m.Program());
  EXPECT_TRUE(a.ok) << a.output;
  SimRunner sim({.mcu = "atmega8", .frequency = kMhz * 1000000u});
  EXPECT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
  eeprom->Attach(sim);
  EXPECT_EQ(sim.Run(), SimStop::EndLoop);
  return eeprom;
}

// A write of one byte at 0x10, then an address the model does not answer.
Master WriteAndRefused(const Timing& t) {
  Master m(t);
  m.Start().Byte(0xA0).Byte(0x10).Byte(0x42).Stop();
  m.Start().Byte(0x50).Stop();
  return m;
}

TEST(I2cEepromModel, TakesAWriteOfGoodTiming) {
  const auto eeprom = RunMaster(WriteAndRefused(Timing{}));
  EXPECT_TRUE(eeprom->Violations().empty()) << eeprom->Violations().front();
  EXPECT_EQ(eeprom->Memory()[0x10], 0x42);
  EXPECT_EQ(eeprom->AddressesAcknowledged(), 1);
  EXPECT_EQ(eeprom->AddressesRefused(), 1);
  EXPECT_EQ(eeprom->Starts(), 2);
  EXPECT_EQ(eeprom->Stops(), 2);
}

TEST(I2cEepromModel, ListsEachBreachOfTheBusTiming) {
  struct Case {
    const char* name;
    Timing timing;
    const char* violation;  // the start of the first violation's text
  };
  const Case cases[] = {
      {"low_3us", {.low = 3}, "SCL low"},
      {"high_3us", {.high = 3}, "SCL high"},
      {"data_set_up_of_one_instruction", {.setup = 0}, "data set-up"},
      {"start_hold_3us", {.hold = 3}, "start hold"},
      {"stop_set_up_3us", {.stop_setup = 3}, "stop set-up"},
      {"bus_free_3us", {.free = 3}, "bus free before start"},
  };
  for (const Case& c : cases) {
    const auto eeprom = RunMaster(WriteAndRefused(c.timing));
    ASSERT_FALSE(eeprom->Violations().empty()) << c.name;
    EXPECT_EQ(eeprom->Violations().front().rfind(c.violation, 0), 0u) << c.name << ": " << eeprom->Violations().front();
  }
}

TEST(I2cEepromModel, ListsARepeatedStartTooSoonAndAStartInsideAByte) {
  Master soon(Timing{.repeat_setup = 3});
  soon.Start().Byte(0xA0).Byte(0x10).RepeatedStart().Byte(0xA1).Stop();
  const auto early = RunMaster(soon);
  ASSERT_FALSE(early->Violations().empty());
  EXPECT_EQ(early->Violations().front().rfind("start set-up", 0), 0u) << early->Violations().front();

  Master cut(Timing{});
  cut.Start().Byte(0xA0).Byte(0x10).Byte(0x42, 3).RepeatedStart().Byte(0xA1).Stop();
  const auto inside = RunMaster(cut);
  ASSERT_FALSE(inside->Violations().empty());
  EXPECT_EQ(inside->Violations().front().rfind("start inside a byte", 0), 0u) << inside->Violations().front();
  EXPECT_EQ(inside->Memory()[0x10], 0) << "a write cut by a start is not stored";
}

}  // namespace
}  // namespace qbc::test
