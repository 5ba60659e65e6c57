// $spi: control and status values, and the directions of the device's own SPI pins.
#include <gtest/gtest.h>

#include "compiler/frontend/meta_peripheral.h"
#include "tests/support/meta_head_fixture.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

using test::MetaHead;

std::string L(const char* mnemonic, const std::string& operands) {
  return std::string("\t\t") + mnemonic + "\t\t" + operands;
}

struct SpiCase {
  const char* device;
  const char* line;
  std::vector<std::string> lines;
};

TEST(MetaPeriphSpi, ControlValuesPerDeviceFamily) {
  const SpiCase cases[] = {
      // no double speed: four dividers, no SPSR line
      {"8535", "$spi = 16, msb, master, low, low",
       {L("ldi", "zh,0xB0"), L("out", "DDRB,zh"), L("ldi", "zl,0x51"), L("out", "SPCR,zl")}},
      {"m644", "$spi = 128, lsb, slave, hi, low",
       {L("ldi", "zh,0x40"), L("out", "DDRB,zh"), L("ldi", "zl,0x6B"), L("out", "SPCR,zl")}},
      // MOSI PB3, SCK PB5, SS PB2 on the ATmega8/48/88/168
      {"m8", "$spi = 16, msb, master, low, low",
       {L("ldi", "zl,0x0"), L("out", "SPSR,zl"), L("ldi", "zh,0x2C"), L("out", "DDRB,zh"), L("ldi", "zl,0x51"),
        L("out", "SPCR,zl")}},
      {"m88", "$spi = 4, msb, master, hi, hi",
       {L("ldi", "zh,0x2C"), L("out", "DDRB,zh"), L("ldi", "zl,0x5C"), L("out", "SPCR,zl")}},
      {"m168", "$spi = 64, msb, slave, low, low",
       {L("ldi", "zh,0x10"), L("out", "DDRB,zh"), L("ldi", "zl,0x42"), L("out", "SPCR,zl")}},
      // SS PB0, SCK PB1, MOSI PB2 on the ATmega64/128/103 and 1280/2560
      {"m128", "$spi = 2, lsb, slave, hi, hi",
       {L("ldi", "zl,0x1"), L("out", "SPSR,zl"), L("ldi", "zh,0x8"), L("out", "DDRB,zh"), L("ldi", "zl,0x6C"),
        L("out", "SPCR,zl")}},
      {"m1280", "$spi = 16, msb, master, low, hi",
       {L("ldi", "zh,0x7"), L("out", "DDRB,zh"), L("ldi", "zl,0x55"), L("out", "SPCR,zl")}},
      {"m2560", "$spi = 4, msb, slave, low, low",
       {L("ldi", "zh,0x8"), L("out", "DDRB,zh"), L("ldi", "zl,0x40"), L("out", "SPCR,zl")}},
      // double speed dividers on the classic megas
      {"m16", "$spi = 32, msb, master, low, low",
       {L("ldi", "zl,0x1"), L("out", "SPSR,zl"), L("ldi", "zh,0xB0"), L("out", "DDRB,zh"), L("ldi", "zl,0x52"),
        L("out", "SPCR,zl")}},
      {"m32", "$spi = 128, msb, master, low, low",
       {L("ldi", "zl,0x0"), L("out", "SPSR,zl"), L("ldi", "zh,0xB0"), L("out", "DDRB,zh"), L("ldi", "zl,0x53"),
        L("out", "SPCR,zl")}},
  };
  for (const SpiCase& c : cases) {
    MetaHead h(c.device, c.line);
    ASSERT_EQ(h.st.ErrorCount, 0) << c.device << h.report.Text();
    EXPECT_EQ(h.InitLines(), c.lines) << c.device << " " << c.line;
    EXPECT_EQ(h.st.TokText(), "end");
  }
}

TEST(MetaPeriphSpi, Errors) {
  struct Case {
    const char* device;
    const char* line;
    const char* message;
  } cases[] = {
      {"8535", "$spi = 2, msb, master, low, low", "4, 16, 64 or 128!"},
      {"m8", "$spi = 3, msb, master, low, low", "4, 16, 64 or 128!"},
      {"m8", "$spi = 4, first, master, low, low", "LSB or MSB for SPI data order!"},
      {"m8", "$spi = 4, msb, boss, low, low", "MASTER or SLAVE for SPI mode!"},
      {"m8", "$spi = 4, msb, master, up, low", "HI or LOW to set SPI clock polarity!"},
      {"m8", "$spi = 4, msb, master, low, up", "HI or LOW to set SPI clock phase!"},
  };
  for (const Case& c : cases) {
    MetaHead h(c.device, c.line);
    EXPECT_EQ(h.st.ErrorCount, 1) << c.line << "\n" << h.report.Text();
    EXPECT_NE(h.report.Text().find(std::string(". ") + c.message + " ("), std::string::npos)
        << c.line << "\n" << h.report.Text();
    EXPECT_EQ(h.st.TokText(), "end") << c.line;
  }
}

// After the declarations (the code pass) the lines are written where the line stands.
TEST(MetaPeriphSpi, CodePassWritesInPlace) {
  MetaHead h("m88", "");
  h.st.src.DeclarationsEnded = true;
  h.Tokenize("$spi = 16, msb, master, low, low");
  h.st.src.TokenIndex = 1;
  const std::size_t from = h.st.out.Str().size();
  ParseSpiMetaStatement(h.st);
  EXPECT_EQ(h.st.out.Str().substr(from),
            "\t\tldi\t\tzh,0x2C\r\n\t\tout\t\tDDRB,zh\r\n\t\tldi\t\tzl,0x51\r\n\t\tout\t\tSPCR,zl\r\n");
  EXPECT_EQ(h.st.expr.ConfigScratch, 0);
  EXPECT_EQ(h.st.TokText(), "<EOL>");
}

// On the chip: the start-up code leaves SPCR set and MOSI, SCK and SS (or MISO) as the
// only port B outputs.
TEST(MetaPeriphSpi, StartUpCodeSetsTheDevicesOwnPinsOnTheSimulator) {
  struct Case {
    const char* device;
    const char* simName;
    const char* line;
    int ddrb, spcr;
  } cases[] = {
      {"m8", "atmega8", "$spi = 16, msb, master, low, low", 0x2C, 0x51},
      {"m88", "atmega88", "$spi = 16, msb, master, low, low", 0x2C, 0x51},
      {"m168", "atmega168", "$spi = 4, lsb, slave, hi, hi", 0x10, 0x6C},
      {"m16", "atmega16", "$spi = 64, msb, master, hi, low", 0xB0, 0x5A},
      {"m128", "atmega128", "$spi = 8, msb, master, low, low", 0x07, 0x51},
      {"m1280", "atmega1280", "$spi = 16, msb, master, low, low", 0x07, 0x51},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    MetaHead h(c.device, c.line);
    const std::string program = h.Program();
    ASSERT_EQ(h.st.ErrorCount, 0) << h.report.Text();
    auto a = test::AssembleAsm(program);
    ASSERT_TRUE(a.ok) << a.output << program;
    test::SimRunner sim({.mcu = c.simName, .frequency = 8000000});
    ASSERT_TRUE(sim.Load(a.hex_path, a.map_path)) << sim.Error();
    EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
    EXPECT_EQ(sim.Sram(*sim.Symbol("DDRB") + 0x20), c.ddrb);
    EXPECT_EQ(sim.Sram(*sim.Symbol("SPCR") + 0x20), c.spcr);
  }
}

}  // namespace
}  // namespace qbc
