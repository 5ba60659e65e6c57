// Programs configured with every peripheral word: their heads assemble on the devices of
// each family, and the pins the start-up code sets reach their registers on the chip.
#include <gtest/gtest.h>

#include "tests/support/meta_head_fixture.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

using test::MetaHead;

struct Family {
  const char* device;
  const char* lines;
};

TEST(MetaPeriphAssemble, HeadsOfEveryWordAssemble) {
  // Every line on pins of its own (two lines on one pin are refused), except the keypad,
  // which may share the LCD's data lines.
  const std::string common =
      "$key rows = portb &hf0, portd.1, 5, hi\n"
      "dim keybeep as byte\n"
      "$1wire = portb.0, portd.5\n"
      "$sound = portb.3, inverse\n";
  // The display and the I2C bus on port C, where the chip has one.
  const std::string portC = "$i2c sda = portc.5, scl = portc.4\n$lcd = portc.0, rs = portd.6, en = portd.7, 16, 2\n";
  const Family families[] = {
      {"m8", "$com1 = portb.2, 9600\n$dtmf = portb.1, 10\n$spi = 16, msb, master, low, low\n"
             "$shiftout data = portd.3, clock = portd.4, msb, 2\n"},
      // the graphic display's control lines on port C
      {"m16", "$rc5 = pind.3\n$dtmf = portd.2, 20\n$spi = 4, lsb, slave, hi, hi\n"
              "$glcd t6963c, data = porta, ctrl = portc, 240, 128, 8\n$gctrl wr = 1, rd = 0, cd = 2, ce = 3, fs = 1\n"
              "$pckey data = portd.0, clock = portd.4, noinit\n$shiftin data = portd.6, clock = portd.7, lsb\n"},
      {"m88", "$com1 = portb.1, 9600\n$spi = 64, msb, master, low, low\n"
              "$shiftout data = portd.3, clock = portd.4, msb, 2\n"},
      {"m128", "$rc5 = pine.4, interrupt\n$dtmf = portb.1, 10\n$sound = portf.2\n$spi = 8, msb, master, low, low\n"
               "$glcd ks0108, data = porta, ctrl = portg, 128, 64, 0\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n"
               "$pckey data = portd.3, clock = portd.4, noinit\n$shiftin data = porte.5, clock = porte.6, lsb\n"},
      {"m1280", "$com1 = portb.1, 9600\n$shiftin data = porth.5, clock = porth.6, lsb\n"
                "$spi = 16, msb, master, low, low\n$shiftout data = portd.3, clock = portd.4, msb, 2\n"},
      {"m8515", "$lcd = &h8000, rs = &hc000, 16, 2\n$rc5 = portd.2\n"},
      // no port C on the ATtiny2313: its display and its I2C bus sit on ports B and D
      {"tn2313", "$com1 = portb.1, 9600\n$key rows = portb &hf0, cols = portd &h01\n"
                 "$lcd = portb.4, rs = portd.6, en = portd.3, 16, 2\n$i2c sda = portb.2, scl = portd.4\n"},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.device);
    const bool hasPortC = std::string(f.device) != "tn2313" && std::string(f.device) != "m16";
    MetaHead h(f.device, common + (hasPortC ? portC : std::string()) + f.lines);
    const std::string program = h.Program();
    ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
    auto a = test::AssembleAsm(program);
    EXPECT_TRUE(a.ok) << a.output << program;
  }
}

// The start-up code's pin lines on the chip: extended I/O ports (PORTF of the ATmega128,
// PORTH of the ATmega1280) are reached with lds/sts, the others with sbi/cbi.
TEST(MetaPeriphAssemble, PinsOfTheStartUpCodeOnTheSimulator) {
  struct Case {
    const char* device;
    const char* simName;
    const char* lines;
    std::vector<std::pair<const char*, int>> expected;  // data address symbol + offset, value
  };
  const Case cases[] = {
      {"m128", "atmega128",
       "$sound = portf.2, inverse\n$shiftout data = portf.0, clock = portf.5, msb\n"
       "$pckey data = portf.6, clock = portf.7, noinit\n",
       {{"DDRF", 0x24}, {"PORTF", 0xC4}}},
      {"m1280", "atmega1280", "$sound = porth.3\n$shiftin data = porth.5, clock = porth.6, lsb\n",
       {{"DDRH", 0x48}, {"PORTH", 0x00}}},
      {"m8", "atmega8", "$sound = portd.4, inverse\n$shiftout data = portb.0, clock = portb.1, msb\n",
       {{"DDRD", 0x10}, {"PORTD", 0x10}, {"DDRB", 0x02}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    MetaHead h(c.device, c.lines);
    const std::string program = h.Program();
    ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
    auto a = test::AssembleAsm(program);
    ASSERT_TRUE(a.ok) << a.output << program;
    test::SimRunner sim({.mcu = c.simName, .frequency = 8000000});
    ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
    EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
    for (const auto& [reg, value] : c.expected) {
      std::uint32_t address = *sim.Symbol(reg);
      if (address < 0x60) address += 0x20;  // an I/O address
      EXPECT_EQ(sim.Sram(address), value) << reg;
    }
  }
}

}  // namespace
}  // namespace qbc
