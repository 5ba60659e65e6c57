// $lcd: pin mode with four or eight data lines, bus mode on the external memory bus.
#include <gtest/gtest.h>

#include "compiler/statements/peripherals/lcd_cells.h"
#include "tests/support/meta_head_fixture.h"
#include "tests/support/sim_runner.h"
#include "compiler/base/flags/delay_flags.h"

namespace qbc {
namespace {

using test::MetaHead;

struct LcdCase {
  const char* line;
  const char* dataPort;
  int busBits, offset;
  const char* rs;
  const char* en;
  const char* e2;
  int columns, rows;
  bool busMode, wait, ks0073;
};

TEST(MetaPeriphLcd, WiringAndOptions) {
  const LcdCase cases[] = {
      {"$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2", "PORTB", 4, 4, "PORTB,2", "PORTB,3", "", 16, 2, false,
       false, false},
      {"$lcd = portc.0, rs = portd.6, en = pind.7, 20, 4, ks0073", "PORTC", 4, 0, "PORTD,6", "PIND,7", "", 20, 4,
       false, false, true},
      {"$lcd = porta, rs = portd.2, e1 = portd.3, e2 = portd.4, 40, 4, wait", "PORTA", 8, 0, "PORTD,2", "PORTD,3",
       "PORTD,4", 40, 4, false, true, false},
      // bus mode: the command register's address, then the data register's
      {"$lcd = &h8000, rs = &hc001, 16, 1", "", 0x8000, 0, "c001", "", "", 16, 1, true, false, false},
  };
  for (const LcdCase& c : cases) {
    MetaHead h("m8515", std::string("const cols = 16\n") + c.line);
    ASSERT_EQ(h.st.ErrorCount, 0) << c.line << h.report.Text();
    const LcdCells& lcd = h.st.Cells<LcdCells>();
    EXPECT_EQ(lcd.LcdDataPort, c.dataPort) << c.line;
    EXPECT_EQ(lcd.LcdBusBits, c.busBits) << c.line;
    EXPECT_EQ(lcd.LcdDataPinOffset, c.offset) << c.line;
    EXPECT_EQ(lcd.LcdRsPort, c.rs) << c.line;
    EXPECT_EQ(lcd.LcdEnPort, c.en) << c.line;
    EXPECT_EQ(lcd.LcdE2Port, c.e2) << c.line;
    EXPECT_EQ(LcdTwoEnables(lcd), c.e2[0] != '\0') << c.line;
    EXPECT_EQ(lcd.LcdColumns, c.columns) << c.line;
    EXPECT_EQ(lcd.LcdRows, c.rows) << c.line;
    EXPECT_EQ(lcd.NeedLcdEN, c.busMode) << c.line;
    EXPECT_EQ(lcd.LcdWaitBusy, c.wait) << c.line;
    EXPECT_EQ(lcd.LcdKs0073, c.ks0073) << c.line;
    EXPECT_TRUE(lcd.LcdConfigured);
    EXPECT_TRUE(h.st.used[NeedWaitMs]);
    EXPECT_TRUE(h.st.used[NeedWaitUs]);
    EXPECT_EQ(h.PeripheralInit(), "\t\trcall\tLcdIni\r\n") << c.line;
  }
}

// Bus mode switches the external memory interface on in the start-up code (with the wait
// state above 4 MHz); pin mode does not.
TEST(MetaPeriphLcd, BusModeEnablesTheMemoryInterface) {
  MetaHead bus("m8515", "$lcd = &h8000, rs = &hc000, 16, 2");
  const std::string head = bus.Program();
  EXPECT_NE(head.find("\t\tldi\t\tzl,0xc0\r\n\t\tout\t\tMCUCR,zl\r\n"), std::string::npos) << head;
  MetaHead slow("m8515", "$lcd = &h8000, rs = &hc000, 16, 2", "4");
  EXPECT_NE(slow.Program().find("\t\tldi\t\tzl,0x80\r\n\t\tout\t\tMCUCR,zl\r\n"), std::string::npos);
  MetaHead pins("m8515", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2");
  EXPECT_EQ(pins.Program().find("MCUCR"), std::string::npos);
  // the ATmega1280 enables its memory bus in XMCRA (MCUCR bit 7 is JTD there)
  MetaHead mega("m1280", "$lcd = &h8000, rs = &hc000, 16, 2");
  const std::string megaHead = mega.Program();
  EXPECT_NE(megaHead.find("\t\tldi\t\tzl,0x84\r\n\t\tsts\t\tXMCRA,zl\r\n"), std::string::npos) << megaHead;
  EXPECT_EQ(megaHead.find("MCUCR"), std::string::npos);
  auto assembled = test::AssembleAsm(megaHead);
  EXPECT_TRUE(assembled.ok) << assembled.output;
  // a later pin-mode line replaces the bus wiring
  MetaHead later("m8515", "$lcd = &h8000, rs = &hc000, 16, 2\n$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2");
  EXPECT_FALSE(later.st.Cells<LcdCells>().NeedLcdEN);
  // and a later line with one enable line leaves no second one behind
  MetaHead single("m8515", "$lcd = portb.4, rs = portb.2, e1 = portb.3, e2 = portb.1, 40, 4\n"
                           "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2");
  EXPECT_EQ(single.st.Cells<LcdCells>().LcdE2Port, "");
  EXPECT_FALSE(LcdTwoEnables(single.st.Cells<LcdCells>()));
}

TEST(MetaPeriphLcd, Errors) {
  struct Case {
    const char* device;
    const char* line;
    const char* message;
  } cases[] = {
      // four data lines from pin 5 would need pins 5 to 8
      {"m8", "$lcd = portb.5, rs = portb.2, en = portb.3, 16, 2", "From 0 to 4!"},
      {"m8", "$lcd = portb.4, rs = portb.2, ee = portb.3, 16, 2", "Must be EN, E1 or E2."},
      {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, x, 2", "Must be numeric constant from 8 to 40!"},
      {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, y", "Must be numeric constant constant from 1 to 4!"},
      {"m8", "$lcd = portb.4, rs = portb.2, en = portb.3, 16, 2, fast", "Invalid settings"},
      {"m8", "$lcd = portb.4, rs = portb.9, en = portb.3, 16, 2", "From 0 to 7!"},
      {"m103", "$lcd = portf.4, rs = portb.2, en = portb.3, 16, 2", "PORTF can't be used for LCD!"},
      // without an external memory bus there is no bus mode
      {"m8", "$lcd = &h8000, rs = &hc000, 16, 2", "No external memory bus on this device!"},
  };
  for (const Case& c : cases) {
    MetaHead h(c.device, c.line);
    EXPECT_EQ(h.st.ErrorCount, 1) << c.line << "\n" << h.report.Text();
    EXPECT_NE(h.report.Text().find(std::string(". ") + c.message + " ("), std::string::npos)
        << c.line << "\n" << h.report.Text();
    EXPECT_EQ(h.st.TokText(), "end") << c.line;
  }
  MetaHead offset("m8", "$lcd = portb.5, rs = portb.2, en = portb.3, 16, 2");
  EXPECT_EQ(offset.st.Cells<LcdCells>().LcdDataPinOffset, 0);
}

}  // namespace
}  // namespace qbc
