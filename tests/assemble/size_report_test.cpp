// The report of the assembler step: error list or size line, in the report box's formats.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ide/build/assembler_report.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

// A "[.cseg]" line as AvrAsm32 prints it: the byte count in the 7 characters that start
// 40 characters after the "[".
std::string SegmentLine(long bytes) {
  char line[64];
  std::snprintf(line, sizeof line, "%-40s%7ld", "[.cseg] 0x000000 0x000000", bytes);
  return std::string(line) + "\r\n";
}

struct SizeCase {
  const char* what;
  long bytes;
  bool compiled;
  int flash, ramStart, ramEnd;
  const char* stack;
  int systemBytes, userBytes;
  const char* expected;  // appended to the report
};

TEST(SizeReport, Formats) {
  const SizeCase cases[] = {
      {"the usual report", 1000, true, 8192, 96, 607, "32", 10, 20,
       "Code size        : 500 words, 87.8% FLASH free, aprox 449 SRAM bytes free"},
      {"odd byte count", 1001, false, 0, 0, 0, "", 0, 0, "Code size        : 500.5 words"},
      {"code that fills the flash exactly", 8192, true, 8192, 96, 1119, "32", 0, 0,
       "Code size        : 4096 words, 0% FLASH free, aprox 991 SRAM bytes free"},
      {"one byte more", 8193, true, 8192, 96, 1119, "32", 0, 0, "  --->  Ops, generated code  4096.5 is too big!"},
      {"too big only after a compilation", 8194, false, 8192, 96, 1119, "32", 0, 0,
       "Code size        : 4097 words, 0% FLASH free, aprox 991 SRAM bytes free"},
      {"negative free SRAM", 100, true, 8192, 96, 223, "100", 40, 27,
       "Code size        : 50 words, 98.8% FLASH free, aprox-40 SRAM bytes free"},
      {"87.25 rounds to even", 51, true, 400, 96, 607, "0", 0, 0,
       "Code size        : 25.5 words, 87.2% FLASH free, aprox 511 SRAM bytes free"},
      {"87.75 rounds to even", 49, true, 400, 96, 607, "0", 0, 0,
       "Code size        : 24.5 words, 87.8% FLASH free, aprox 511 SRAM bytes free"},
      {"no RAMSTART: SRAM from 97", 2, true, 8192, 0, 607, "10", 0, 0,
       "Code size        : 1 words, 100% FLASH free, aprox 500 SRAM bytes free"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::CompilerFixture f;
    f.st.dev.FlashEnd = c.flash;
    f.st.dev.RamStart = c.ramStart;
    f.st.dev.RamEnd = c.ramEnd;
    f.st.cfg.StackSize = c.stack;
    f.st.sym.SystemVarBytes = static_cast<std::int16_t>(c.systemBytes);
    f.st.sym.UserVarBytes = static_cast<std::int16_t>(c.userBytes);
    ReportSink report;
    report.SetText("Assembling ....  : DONE\r\n");
    std::string output = "AvrAsm32 (avra) prog.asm\r\nSegment usage (bytes):\r\n" + SegmentLine(c.bytes) +
                         "[.dseg] 0x000000 0x000000                   12\r\n";
    ExtractResult r = ExtractErrors(f.st, c.compiled, output, report);
    EXPECT_EQ(report.Text(), std::string("Assembling ....  : DONE\r\n") + c.expected);
    EXPECT_EQ(r.errorLines, 0);
    EXPECT_EQ(r.tooBig, std::string(c.expected).find("too big") != std::string::npos);
  }
}

TEST(SizeReport, ErrorLinesAreNumberedAndNoSizeFollows) {
  struct Case {
    const char* what;
    std::string output;
    std::string expected;
  } cases[] = {
      {"two errors, a size line after them",
       "AvrAsm32 (avra) p.asm\r\np.asm(3): error: Unknown mnemonic: frob\r\np.asm(4): warning: odd\r\n"
       "/x y/p.asm(9): error: Undefined symbol: zz\r\n" + SegmentLine(10),
       " 1.  p.asm(3): error: Unknown mnemonic: frob\r\n 2.  /x y/p.asm(9): error: Undefined symbol: zz\r\n"},
      {"an error on the first line", "p.asm(1): error: bad\r\nmore\r\n", " 1.  p.asm(1): error: bad\r\n"},
      {"an error line without a line end", "x\r\np.asm(2): error: last", " 1.  p.asm(2): error: last\r\n"},
      {"lines that end in LF alone", "p.asm(3): error: a\np.asm(4): error: b\nlast line\n",
       " 1.  p.asm(3): error: a\r\n 2.  p.asm(4): error: b\r\n"},
      {"code too big for the flash: the assembler's reason, then the size",
       "p.asm: error: Segment start above allowed high address: 0x1000 code\r\n" + SegmentLine(8194),
       " 1.  p.asm: error: Segment start above allowed high address: 0x1000 code\r\n"
       "  --->  Ops, generated code  4097 is too big!"},
      {"no error and no size line", "something else\r\n", " 1.  AvrAsm32: error: the assembler gave no result\r\n"},
      {"empty output (the assembler did not run)", "", " 1.  AvrAsm32: error: the assembler gave no result\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::CompilerFixture f;
    f.st.dev.FlashEnd = 8192;
    ReportSink report;
    ExtractResult r = ExtractErrors(f.st, true, c.output, report);
    EXPECT_EQ(report.Text(), c.expected);
    EXPECT_GT(r.errorLines, 0);
  }
}

TEST(SizeReport, NumbersAreWrittenAndReadAsTheReportBoxDoes) {
  EXPECT_EQ(WriteNumber(12), " 12");
  EXPECT_EQ(WriteNumber(-40), "-40");
  EXPECT_EQ(WriteNumber(0), " 0");
  EXPECT_EQ(WriteNumber(500.5), " 500.5");
  EXPECT_EQ(WriteNumber(87.8f), " 87.8");
  EXPECT_EQ(ReadNumber("     46"), 46);
  EXPECT_EQ(ReadNumber(" \t-1 2.5x"), -12.5);
  EXPECT_EQ(ReadNumber("abc"), 0);
  EXPECT_EQ(ReadNumber(""), 0);
}

}  // namespace
}  // namespace qbc
