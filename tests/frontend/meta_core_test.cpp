#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "compiler/base/compile_failure.h"
#include "compiler/driver/meta_statement.h"
#include "compiler/frontend/device_loader.h"
#include "compiler/frontend/number_format_cells.h"
#include "compiler/frontend/uart_cells.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/test_dirs.h"
#include "tests/support/sim_runner.h"

namespace qbc {
namespace {

// Parses one "$" line (the fixture reads it as the first line of the source).
void Meta(test::CompilerFixture& f, const std::string& line) {
  f.LoadSource(line + "\n");
  ParseMetaStatement(f.st);
}

std::vector<std::string> InitLines(const CompilerState& st) {
  std::vector<std::string> lines;
  for (int i = 0; i < 33 && !st.cfg.InitCodeLines[i].empty(); ++i) lines.push_back(st.cfg.InitCodeLines[i]);
  return lines;
}

TEST(MetaCore, ClockStackAndSimpleWords) {
  struct Case {
    const char* line;
    float clock;
  } clocks[] = {{"$clock = 8", 8.0f}, {"$clock = 7.3728", 7.3728f}, {"$clock = 7,3728", 7.3728f}, {"$clock = x", 0.0f}};
  for (const Case& c : clocks) {
    test::CompilerFixture f;
    Meta(f, c.line);
    EXPECT_FLOAT_EQ(f.st.cfg.CrystalFrequency, c.clock) << c.line;
    EXPECT_EQ(f.st.TokText(), "<EOL>") << c.line;
  }
  test::CompilerFixture s;
  Meta(s, "$stack = 32");
  EXPECT_EQ(s.st.cfg.StackSize, "32");
  EXPECT_EQ(s.st.TokText(), "<EOL>");
  test::CompilerFixture bad;
  Meta(bad, "$stack = nothing");
  EXPECT_NE(bad.report.Text().find("Must be numeric constant"), std::string::npos);
  EXPECT_EQ(bad.st.cfg.StackSize, "");

  test::CompilerFixture j;
  Meta(j, "$jtag");
  EXPECT_TRUE(j.st.cfg.JtagOff);
  test::CompilerFixture a;
  Meta(a, "$angles = degrees");
  EXPECT_NE(a.report.Text().find("Deegrees or Radians!"), std::string::npos);
  test::CompilerFixture u;
  Meta(u, "$frobnicate = 5, 6");
  EXPECT_NE(u.report.Text().find("Unknown settings!"), std::string::npos);
  EXPECT_EQ(u.st.TokText(), "<EOL>");  // the rest of the line is not taken for a statement
}

TEST(MetaCore, WatchdogLines) {
  struct Case {
    bool newMega;
    const char* period;
    const char* first;
    const char* second;
    bool error;
  } cases[] = {
      {false, "2048", "zl,0x1f", "zl,0x17", false},
      {false, "16", "zl,0x18", "zl,0x10", false},
      {false, "2", "zl,0x18", "zl,0x10", true},
      {true, "2", "zl,0x18", "zl,0x10", false},
      {true, "256", "zl,0x1f", "zl,0x17", false},
      // WDP3 is bit 5 of WDTCSR: 512 is WDP3 alone, 1024 is WDP3 and WDP0.
      {true, "512", "zl,0x38", "zl,0x30", false},
      {true, "1024", "zl,0x39", "zl,0x31", false},
      {true, "2048", "zl,0x18", "zl,0x10", true},
  };
  for (const Case& c : cases) {
    // the m88's watchdog has WDP3, the m8's three prescaler bits
    test::CompilerFixture f;
    f.st.env.InstallDir = test::BinDir();
    ASSERT_TRUE(LoadDeviceFile(f.st, c.newMega ? "m88" : "m8"));
    f.st.out.Clear();
    Meta(f, std::string("$watchdog = ") + c.period);
    const std::string store = c.newMega ? "\t\tsts\t\tWDTCSR,zl" : "\t\tout\t\tWDTCR,zl";
    EXPECT_EQ(InitLines(f.st), (std::vector<std::string>{std::string("\t\tldi\t\t") + c.first, store,
                                                        std::string("\t\tldi\t\t") + c.second, store}))
        << c.period;
    EXPECT_EQ(f.st.ErrorCount, c.error ? 1 : 0) << c.period;
    EXPECT_EQ(f.st.expr.ConfigScratch, 4);
  }
}

// The watchdog's prescaler bits and register come from the device file: WDP3 (ten periods,
// WDTCSR) on the m328p and the ATtiny2313 too, three bits in WDTCR on the m325 family;
// each register written where it lies.
TEST(MetaCore, WatchdogWhereTheFilePutsIt) {
  struct Case {
    const char* device;
    const char* period;
    const char* store;
  } cases[] = {
      {"m328p", "1024", "\t\tldi\t\tzl,0x39\r\n\t\tsts\t\tWDTCSR,zl\r\n"},
      {"tn2313", "512", "\t\tldi\t\tzl,0x38\r\n\t\tout\t\tWDTCSR,zl\r\n"},
      {"m325", "2048", "\t\tldi\t\tzl,0x1f\r\n\t\tsts\t\tWDTCR,zl\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    const test::BasResult r = test::CompileBas("$device = " + std::string(c.device) +
                                               "\n$clock = 8\n$stack = 16\n$watchdog = " + c.period + "\nEnd\n");
    ASSERT_TRUE(r.ok) << r.report;
    std::ifstream in(r.asm_path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(c.store), std::string::npos) << text;
  }
}

TEST(MetaCore, LeadCharAndFormat) {
  test::CompilerFixture f;
  Meta(f, "$leadchar = \" \"");
  EXPECT_EQ(f.st.Cells<NumberFormatCells>().LeadChar, 32);
  EXPECT_EQ(f.st.Cells<NumberFormatCells>().FormatDigits, 0);
  test::CompilerFixture g;
  Meta(g, "$leadchar = \"0\", format(scientific, 3)");
  EXPECT_EQ(g.st.Cells<NumberFormatCells>().LeadChar, '0');
  EXPECT_EQ(g.st.Cells<NumberFormatCells>().FormatDigits, 0);
  EXPECT_EQ(g.st.Cells<NumberFormatCells>().FormatDecimals, 3);
  EXPECT_EQ(g.st.ErrorCount, 0) << g.report.Text();
  test::CompilerFixture h;
  Meta(h, "$leadchar = \"*\", format(5, 2)");
  EXPECT_EQ(h.st.Cells<NumberFormatCells>().FormatDigits, 5);
  EXPECT_EQ(h.st.Cells<NumberFormatCells>().FormatDecimals, 2);
  EXPECT_EQ(h.st.TokText(), "<EOL>");
  test::CompilerFixture e;
  Meta(e, "$leadchar = \"\"");
  EXPECT_NE(e.report.Text().find("Must be one Char String!"), std::string::npos);
}

TEST(MetaCore, TerminatorsAreTwoHexDigits) {
  struct Case {
    const char* line;
    const char* digits;
  } cases[] = {{"$inputtermchar = (&h0D)", "0D"}, {"$inputtermchar = (&hd)", "0D"}, {"$inputtermchar = (13)", "0D"},
               {"$inputtermchar = (\"#\")", "23"}};
  for (const Case& c : cases) {
    test::CompilerFixture f;
    Meta(f, c.line);
    EXPECT_EQ(f.st.Cells<UartCells>().InputTermChar, c.digits) << c.line;
    EXPECT_TRUE(f.st.Cells<UartCells>().InputTermCharSet);
    EXPECT_EQ(f.st.ErrorCount, 0) << c.line << f.report.Text();
  }
  test::CompilerFixture p;
  Meta(p, "$printtermchar = (&h0A)");
  EXPECT_EQ(p.st.Cells<UartCells>().PrintTermChar, "0A");
  EXPECT_TRUE(p.st.Cells<UartCells>().PrintTermCharSet);
  EXPECT_FALSE(p.st.Cells<UartCells>().InputTermCharSet);
  test::CompilerFixture bad;
  Meta(bad, "$inputtermchar = (x)");
  EXPECT_FALSE(bad.st.Cells<UartCells>().InputTermCharSet);
  EXPECT_EQ(bad.st.ErrorCount, 1);
}

TEST(MetaCore, FullStartUpTableEndsTheCompilation) {
  test::CompilerFixture f;
  for (int i = 0; i < 8; ++i) {
    Meta(f, "$watchdog = 16");
  }
  EXPECT_EQ(f.st.expr.ConfigScratch, 32);
  EXPECT_THROW(Meta(f, "$watchdog = 16"), CompilationStopped);
  EXPECT_NE(f.report.Text().find(" 1. Too many $watchdog, $spi and $timer settings (33 start-up lines)! ("),
            std::string::npos)
      << f.report.Text();
}

}  // namespace
}  // namespace qbc
