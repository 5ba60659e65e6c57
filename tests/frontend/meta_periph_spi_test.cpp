// $spi: control and status values, and the directions of the device's own SPI pins.
#include <gtest/gtest.h>

#include "compiler/statements/peripherals/meta_peripheral.h"
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
  const char* status;  // the SPSR value, "" for no SPSR line
  const char* keep;    // the port B pins that are not SPI pins
  const char* dirs;    // the SPI pins' directions
  const char* control;
};

std::vector<std::string> SpiLines(const SpiCase& c) {
  std::vector<std::string> lines;
  if (*c.status) {
    lines.push_back(L("ldi", std::string("zl,0x") + c.status));
    lines.push_back(L("out", "SPSR,zl"));
  }
  lines.push_back(L("in", "zh,DDRB"));
  lines.push_back(L("andi", std::string("zh,0x") + c.keep));
  lines.push_back(L("ori", std::string("zh,0x") + c.dirs));
  lines.push_back(L("out", "DDRB,zh"));
  lines.push_back(L("ldi", std::string("zl,0x") + c.control));
  lines.push_back(L("out", "SPCR,zl"));
  return lines;
}

TEST(MetaPeriphSpi, ControlValuesPerDeviceFamily) {
  const SpiCase cases[] = {
      // no SPI2X (the AT90S parts, the ATmega103): four dividers, no SPSR line; SS PB4,
      // MOSI PB5, MISO PB6, SCK PB7
      {"8535", "$spi = 16, msb, master, low, low", "", "F", "B0", "51"},
      {"m644", "$spi = 128, lsb, slave, hi, low", "0", "F", "40", "6B"},
      // SS PB2, MOSI PB3, MISO PB4, SCK PB5 on the ATmega8/48/88/168
      {"m8", "$spi = 16, msb, master, low, low", "0", "C3", "2C", "51"},
      {"m88", "$spi = 4, msb, master, hi, hi", "0", "C3", "2C", "5C"},
      {"m168", "$spi = 64, msb, slave, low, low", "0", "C3", "10", "42"},
      {"m88", "$spi = 8, msb, master, hi, hi", "1", "C3", "2C", "5D"},
      // SS PB0, SCK PB1, MOSI PB2, MISO PB3 on the ATmega64/128/103 and 1280/2560
      {"m128", "$spi = 2, lsb, slave, hi, hi", "1", "F0", "8", "6C"},
      {"m1280", "$spi = 16, msb, master, low, hi", "0", "F0", "7", "55"},
      {"m2560", "$spi = 4, msb, slave, low, low", "0", "F0", "8", "40"},
      {"m103", "$spi = 16, msb, master, low, hi", "", "F0", "7", "55"},
      // double speed dividers on the classic megas
      {"m16", "$spi = 32, msb, master, low, low", "1", "F", "B0", "52"},
      {"m32", "$spi = 128, msb, master, low, low", "0", "F", "B0", "53"},
  };
  for (const SpiCase& c : cases) {
    MetaHead h(c.device, c.line);
    ASSERT_EQ(h.st.ErrorCount, 0) << c.device << h.report.Text();
    EXPECT_EQ(h.InitLines(), SpiLines(c)) << c.device << " " << c.line;
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
      {"m103", "$spi = 8, msb, master, low, low", "4, 16, 64 or 128!"},
      // the AT90PWM2/3 have their SS on port D: their pins are not in the device file
      {"pwm2", "$spi = 16, msb, master, low, low", "SPI pins not known for this device!"},
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
            "\t\tldi\t\tzl,0x0\r\n\t\tout\t\tSPSR,zl\r\n"
            "\t\tin\t\tzh,DDRB\r\n\t\tandi\t\tzh,0xC3\r\n\t\tori\t\tzh,0x2C\r\n\t\tout\t\tDDRB,zh\r\n"
            "\t\tldi\t\tzl,0x51\r\n\t\tout\t\tSPCR,zl\r\n");
  EXPECT_EQ(h.st.expr.ConfigScratch, 0);
  EXPECT_EQ(h.st.TokText(), "<EOL>");
}

// On the chip: the start-up code leaves SPCR set and MOSI, SCK and SS (or MISO) as the
// port B outputs, beside those made outputs before.
TEST(MetaPeriphSpi, StartUpCodeSetsTheDevicesOwnPinsOnTheSimulator) {
  struct Case {
    const char* device;
    const char* simName;
    const char* line;
    int ddrb, spcr;
  } cases[] = {
      {"m8", "atmega8", "$spi = 16, msb, master, low, low", 0x2C, 0x51},
      // the DTMF output (OC1A, PB1) made an output before stays one
      {"m8", "atmega8", "$dtmf = portb.1, 10\n$spi = 16, msb, master, low, low", 0x2E, 0x51},
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
