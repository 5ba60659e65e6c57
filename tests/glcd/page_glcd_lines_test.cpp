// The HD61202 and SED1520 drivers' lines as their configuration writes them: start-up
// modes, chip selects, the strobe's delay count and enable hold, and the $glcd checks.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// The routine that begins with `label`, up to the next empty line.
std::string Routine(const std::string& text, const std::string& label) {
  const auto start = text.find("\r\n" + label + ":");
  if (start == std::string::npos) return "";
  const auto end = text.find("\r\n\r\n", start + 2);
  return text.substr(start + 2, end == std::string::npos ? std::string::npos : end - start - 2);
}

std::string Program(const std::string& device, const std::string& clock, const std::string& glcd) {
  return "$device = " + device + "\n$clock = " + clock + "\n$stack = 32\n" + glcd + "GlcdInit\nEnd\n";
}

TEST(PageGlcdLines, InitLeavesBothSelectsHighInEveryMode) {
  struct Case {
    const char* mode;
    bool cs2;
    const char* want;
  } cases[] = {
      {"0", true,
       "_HDini:\tldi\t\tzh,0xff\r\n\t\tout\t\tDDRA,zh\r\n\t\tin\t\tzl,DDRC\r\n\t\tori\t\tzl,0x1F\r\n\t\tout\t\tDDRC,zl\r\n"
       "\t\tldi\t\tzl,0xc0\r\n\t\tout\t\tPORTA,zl\r\n\t\trcall\t_HDen\r\n\t\tsbi\t\tPORTC,3\r\n\t\tsbi\t\tPORTC,4\r\n"
       "\t\tsbi\t\tPORTC,2\r\n\t\tret"},
      {"1", true,
       "_HDini:\tldi\t\tzh,0xff\r\n\t\tout\t\tDDRA,zh\r\n\t\tin\t\tzl,DDRC\r\n\t\tori\t\tzl,0x1F\r\n\t\tout\t\tDDRC,zl\r\n"
       "\t\tldi\t\tzl,0xc0\r\n\t\tout\t\tPORTA,zl\r\n\t\trcall\t_HDen\r\n\t\tldi\t\tzl,0x3f\r\n\t\tout\t\tPORTA,zl\r\n"
       "\t\trcall\t_HDen\r\n\t\tsbi\t\tPORTC,3\r\n\t\tsbi\t\tPORTC,4\r\n\t\tsbi\t\tPORTC,2\r\n\t\tret"},
      {"2", false,
       "_HDini:\tldi\t\tzh,0xff\r\n\t\tout\t\tDDRA,zh\r\n\t\tin\t\tzl,DDRC\r\n\t\tori\t\tzl,0x0F\r\n\t\tout\t\tDDRC,zl\r\n"
       "\t\tldi\t\tzl,0xc0\r\n\t\tout\t\tPORTA,zl\r\n\t\trcall\t_HDen\r\n\t\tsbi\t\tPORTC,3\r\n\t\tldi\t\tzl,0x3f\r\n"
       "\t\tout\t\tPORTA,zl\r\n\t\trcall\t_HDen\r\n\t\tsbi\t\tPORTC,2\r\n\t\tret"},
      {"5", false,
       "_HDini:\tldi\t\tzh,0xff\r\n\t\tout\t\tDDRA,zh\r\n\t\tin\t\tzl,DDRC\r\n\t\tori\t\tzl,0x0F\r\n\t\tout\t\tDDRC,zl\r\n"
       "\t\tldi\t\tzl,0xc0\r\n\t\tout\t\tPORTA,zl\r\n\t\trcall\t_HDen\r\n\t\tldi\t\tzl,0x3f\r\n\t\tout\t\tPORTA,zl\r\n"
       "\t\trcall\t_HDen\r\n\t\tsbi\t\tPORTC,3\r\n\t\tsbi\t\tPORTC,2\r\n\t\tret"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mode ") + c.mode);
    const std::string gctrl = c.cs2 ? "$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n" : "$gctrl en = 0, wr = 1, di = 2, cs1 = 3\n";
    const auto compiled = CompileBasic(Program(
        "m32", "8", std::string("$glcd ks0108, data = porta, ctrl = portc, ") + (c.cs2 ? "128" : "64") + ", 64, " + c.mode + "\n" + gctrl));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    EXPECT_EQ(Routine(compiled.asm_text, "_HDini"), c.want);
  }
  // The m103 sets its control port's directions too (ports C and F, which have no DDR, are
  // refused for the control lines): left as inputs, the lines would never strobe.
  const auto m103 = CompileBasic(Program("m103", "4", "$glcd ks0108, data = porta, ctrl = portb, 128, 64, 1\n"
                                                      "$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n"));
  ASSERT_EQ(m103.error_count, 0) << m103.report;
  EXPECT_NE(Routine(m103.asm_text, "_HDini").find("in\t\tzl,DDRB\r\n\t\tori\t\tzl,0x1F\r\n\t\tout\t\tDDRB,zl"),
            std::string::npos)
      << Routine(m103.asm_text, "_HDini");
}

// About 10 us a strobe; E high at least 450 ns (sbi's write to cbi's is 3 cycles without
// nops).
TEST(PageGlcdLines, StrobeDelayCountAndEnableHoldFollowTheClock) {
  struct Case {
    const char* clock;
    const char* count;
    int nops;
  } cases[] = {{"1", "1", 0}, {"4", "11", 0}, {"8", "24", 1}, {"11.0592", "35", 2}, {"16", "51", 5}, {"20", "64", 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clock);
    const auto compiled = CompileBasic(Program("m32", c.clock,
                                               "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n"
                                               "$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\n"));
    ASSERT_EQ(compiled.error_count, 0) << compiled.report;
    std::string want = "_HDen:\tsbi\t\tPORTC,0\r\n\t\tldi\t\tr23," + std::string(c.count) + "\r\n";
    for (int i = 0; i < c.nops; ++i) want += "\t\tnop\r\n";
    want += "\t\tcbi\t\tPORTC,0\r\n\t\trcall\t_Wtic\r\n\t\tret";
    EXPECT_EQ(Routine(compiled.asm_text, "_HDen"), want);
  }
}

TEST(PageGlcdLines, ConfigurationChecksAndBoxWritesOneLineRoutine) {
  for (const char* glcd : {"$glcd ks0108, data = porta, ctrl = portc, 128, 60, 1\n",
                           "$glcd sed1520, data = porta, ctrl = portc, 122, 30\n"}) {
    const auto compiled = CompileBasic(Program("m32", "8", glcd));
    EXPECT_NE(compiled.report.find("Height must be a multiple of 8!"), std::string::npos) << compiled.report;
  }
  // A control line the driver strobes but $gctrl did not name would leave "sbi PORTC,"
  // to the assembler.
  const auto unnamed = CompileBasic(Program("m32", "8", "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n"
                                                        "$gctrl wr = 1, di = 2, cs1 = 3\n"));
  EXPECT_EQ(unnamed.error_count, 1);
  EXPECT_NE(unnamed.report.find("Control line EN not defined!"), std::string::npos) << unnamed.report;
  // The second chip of a panel wider than 64 columns needs its select.
  const auto one_select = CompileBasic(Program("m32", "8", "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n"
                                                           "$gctrl en = 0, wr = 1, di = 2, cs1 = 3\n"));
  EXPECT_EQ(one_select.error_count, 1);
  EXPECT_NE(one_select.report.find("Control line CS2 not defined!"), std::string::npos) << one_select.report;
  const auto box = CompileBasic("$device = m32\n$clock = 8\n$stack = 32\n"
                                "$glcd ks0108, data = porta, ctrl = portc, 128, 64, 1\n"
                                "$gctrl en = 0, wr = 1, di = 2, cs1 = 3, cs2 = 4\nBox(1 , 2 , 30 , 40) , 1\nEnd\n");
  ASSERT_EQ(box.error_count, 0) << box.report;
  const auto first = box.asm_text.find("\n_HDLiH:");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(box.asm_text.find("\n_HDLiH:", first + 1), std::string::npos);
  EXPECT_NE(box.asm_text.find("\n_HDPix:"), std::string::npos);
}

}  // namespace
}  // namespace qbc::test
