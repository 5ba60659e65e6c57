// $glcd and $gctrl: controller, ports, numbers, control-line pins; the display's start-up
// call and data-segment cells.
#include <gtest/gtest.h>

#include "compiler/statements/peripherals/glcd_cells.h"
#include "tests/support/meta_head_fixture.h"
#include "compiler/base/flags/delay_flags.h"

namespace qbc {
namespace {

using test::MetaHead;

struct GlcdCase {
  const char* line;
  int type;
  const char* data;
  const char* ctrl;
  int o1, o2, o3;
  bool noInit;
  const char* lines;  // GlcdLine1 .. GlcdLine6, one character each ("-" for empty)
};

std::string Lines(const GlcdCells& c) {
  std::string out;
  for (const std::string* l : {&c.GlcdLine1, &c.GlcdLine2, &c.GlcdLine3, &c.GlcdLine4, &c.GlcdLine5, &c.GlcdLine6})
    out += l->empty() ? "-" : *l;
  return out;
}

TEST(MetaGlcd, ControllerNamesPortsAndNumbers) {
  const GlcdCase cases[] = {
      {"$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8", 1, "PORTB", "PORTC", 240, 128, 8, false, "------"},
      {"$glcd t6963c, data = porta, ctrl = portc, 240, 64, 2, noinit", 1, "PORTA", "PORTC", 240, 64, 2, true,
       "------"},
      {"$glcd hd61202, data = porta, ctrl = portc, 128, 64, 0", 2, "PORTA", "PORTC", 128, 64, 0, false, "------"},
      {"$glcd ks0108b, data = porta, ctrl = portc, 128, 64, 1", 2, "PORTA", "PORTC", 128, 64, 1, false, "------"},
      {"$glcd ks0108, data = porta, ctrl = portd, 128, 64, 2", 2, "PORTA", "PORTD", 128, 64, 2, false, "------"},
      {"$glcd sed1520, data = porta, ctrl = portc, 122, 32", 3, "PORTA", "PORTC", 122, 32, 0, false, "------"},
      {"$glcd sep1520, data = portb, ctrl = portd, 122, 32", 3, "PORTB", "PORTD", 122, 32, 0, false, "------"},
      {"$glcd pcd8544, sdin = portb.0, sclk = portb.1, dc = portb.2, sce = portb.3", 4, "PORTB", "PORTB", 0, 0, 0,
       false, "-0123-"},
      {"$glcd nokia3310, sce = portd.7, dc = portd.6, sdin = portc.4, sclk = portc.5", 4, "PORTC", "PORTD", 0, 0, 0,
       false, "-4567-"},
  };
  for (const GlcdCase& c : cases) {
    MetaHead h("m32", c.line);
    ASSERT_EQ(h.st.ErrorCount, 0) << c.line << h.report.Text();
    const GlcdCells& glcd = h.st.Cells<GlcdCells>();
    EXPECT_EQ(glcd.GlcdType, c.type) << c.line;
    EXPECT_EQ(glcd.GlcdDataPort, c.data) << c.line;
    EXPECT_EQ(glcd.GlcdCtrlPort, c.ctrl) << c.line;
    EXPECT_EQ(glcd.GlcdOption1, c.o1) << c.line;
    EXPECT_EQ(glcd.GlcdOption2, c.o2) << c.line;
    EXPECT_EQ(glcd.GlcdOption3, c.o3) << c.line;
    EXPECT_EQ(glcd.GlcdNoInit, c.noInit) << c.line;
    EXPECT_EQ(Lines(glcd), c.lines) << c.line;
    EXPECT_EQ(h.st.used[NeedWaitTicks], c.type == 2) << c.line;
    EXPECT_EQ(h.st.TokText(), "end") << c.line;
  }
}

TEST(MetaGlcd, ControlLinesByController) {
  struct Case {
    const char* lines;
    const char* cells;
  } cases[] = {
      {"$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\n$gctrl wr = 1, rd = 0, cd = 2, ce = 3, fs = 1",
       "01231-"},
      {"$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\n$gctrl fs = 0, ce = 7", "---70-"},
      {"$glcd ks0108, data = porta, ctrl = portc, 128, 64, 0\n$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4",
       "01234-"},
      {"$glcd sed1520, data = porta, ctrl = portc, 122, 32\n$gctrl e4 = 5, rw = 1, a0 = 2, e1 = 3, e2 = 4, e3 = 0",
       "512340"},
      // before any $glcd line, and for the PCD8544, the names are passed over
      {"$gctrl wr = 1, rd = 0", "------"},
      {"$glcd pcd8544, sdin = portb.0, sclk = portb.1, dc = portb.2, sce = portb.3\n$gctrl dc = 7", "-0123-"},
  };
  for (const Case& c : cases) {
    MetaHead h("m32", c.lines);
    ASSERT_EQ(h.st.ErrorCount, 0) << c.lines << h.report.Text();
    EXPECT_EQ(Lines(h.st.Cells<GlcdCells>()), c.cells) << c.lines;
    EXPECT_EQ(h.st.TokText(), "end") << c.lines;
  }
}

TEST(MetaGlcd, Errors) {
  struct Case {
    const char* device;
    const char* line;
    const char* message;
  } cases[] = {
      {"m32", "$glcd st7565, data = portb, ctrl = portc, 128, 64, 0", "Unsupported Graphic LCD type!"},
      {"m32", "$glcd t6963c, data = portb, ctrl = portc, wide, 128, 8", "Must be numeric constant"},
      {"m32", "$glcd t6963c, data = portb, ctrl = tccr0, 240, 128, 8", "Must be a valid AVR Port!"},
      // a fraction of the height would stand in the T6963C routines' operands ("cpi r17,7.5")
      {"m32", "$glcd t6963c, data = portb, ctrl = portc, 240, 60, 8", "Height must be a multiple of 8!"},
      {"m32", "$glcd t6963c, data = portb, ctrl = portc, 240, 120, 2", "Height must be a multiple of 16!"},
      {"m32", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8, init", "Missing \"NOINIT\""},
      {"m32", "$glcd pcd8544, sdin = portb.0, clk = portb.1", "Not valid control signal!"},
      {"m32", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\n$gctrl fs = 2", "1 for 6x8 or 0 for 8x8!"},
      {"m32", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8\n$gctrl en = 2", "Not valid Control!"},
      {"m32", "$glcd sed1520, data = porta, ctrl = portc, 122, 32\n$gctrl en = 2", "Not valid name for Control line!"},
      {"m32", "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 0\n$gctrl cs1 = 9", "From 0 to 7!"},
      {"m103", "$glcd t6963c, data = portc, ctrl = portb, 240, 128, 8", "PORTC and PORTF can't be used for LCD on Mega103!"},
      {"m103", "$glcd t6963c, data = porta, ctrl = portf, 240, 128, 8\n$gctrl wr = 1",
       "PORTC and PORTF can't be used for Gctrl!"},
  };
  for (const Case& c : cases) {
    MetaHead h(c.device, c.line);
    EXPECT_GE(h.st.ErrorCount, 1) << c.line;
    EXPECT_EQ(h.report.Text().find(std::string(" 1. ") + c.message + " ("), 0u) << c.line << "\n" << h.report.Text();
    EXPECT_EQ(h.st.TokText(), "end") << c.line;
  }
  // an unknown controller leaves the type in force
  MetaHead later("m32", "$glcd sed1520, data = porta, ctrl = portc, 122, 32\n$glcd st7565, data = portb, ctrl = portd, 1, 2");
  EXPECT_EQ(later.st.Cells<GlcdCells>().GlcdType, 3);
}

// The T6963C is initialised by the start-up code unless "noinit"; the other controllers
// by the program.
TEST(MetaGlcd, StartUpCall) {
  MetaHead t("m32", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8");
  EXPECT_EQ(t.PeripheralInit(), "\t\tcall\t_Tini\r\n");
  MetaHead small("m8", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8");
  EXPECT_EQ(small.PeripheralInit(), "\t\trcall\t_Tini\r\n");
  MetaHead noinit("m32", "$glcd t6963c, data = portb, ctrl = portc, 240, 128, 8, noinit");
  EXPECT_EQ(noinit.PeripheralInit(), "");
  MetaHead ks("m32", "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 0");
  EXPECT_EQ(ks.PeripheralInit(), "");
}

}  // namespace
}  // namespace qbc
