// The compiler's own limits, met by ordinary sources: each is a numbered compile error
// that names the file, the line and the limit, or no limit at all; never a run-time
// failure without a line, never a wrong program.
#include <gtest/gtest.h>

#include <string>

#include "compiler/driver/statement_loop.h"
#include "tests/support/basic_program.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

// More than 10,000 generated labels (3,400 one-line Ifs): no label repeats.
TEST(CompilerLimits, ProgramsWithMoreThanTenThousandLabels) {
  std::string source = "$device = m2560\n$clock = 8\n$stack = 32\nDim A As Byte, B As Word\nA = 1\nB = 0\n";
  for (int i = 0; i < 3400; ++i) source += "If A = 1 Then B = B + 1\n";
  auto run = test::RunBasic(source + "End\n", "atmega2560", 20'000'000);
  ASSERT_TRUE(run->ok) << run->compiled.report << run->compiled.failure << run->assembled.output.substr(0, 2000);
  EXPECT_EQ(run->Word("b"), 3400);
}

// Sources longer than 32,767 lines: the line numbers of error lines stay right.
TEST(CompilerLimits, SourcesOfMoreThan32767Lines) {
  test::CompilerFixture f;
  f.LoadSource(std::string(39999, '\n') + "foo(1)\n");
  CompileStatementBlock(f.st);
  EXPECT_EQ(f.report.Text(), " 1. Unknown identifier foo (\"test.bas\" --> Line  40000)\r\n");
  EXPECT_EQ(f.report.LastFailure(), "");
}

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

std::string StringAssignments(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += "S = \"c" + std::to_string(i) + "\"\n";
  return out;
}

TEST(CompilerLimits, EachLimitIsACompileErrorAtItsLine) {
  const std::string head = "$device = m8\n$clock = 4\n$stack = 32\n";
  const std::string vars = "Dim I As Byte\nDim S As String * 10\n";  // lines 4 and 5
  struct Case {
    const char* what;
    std::string source;
    std::string error;  // the first error
    int line;
  } cases[] = {
      {"33 nested For", head + vars + Repeat("For I = 1 To 2\n", 33) + Repeat("Next\n", 33),
       "Too many nested loops (32)!", 38},
      {"33 nested Do", head + vars + Repeat("Do\n", 33) + Repeat("Loop\n", 33),
       "Too many nested loops (32)!", 38},
      {"33 nested While", head + vars + Repeat("While I < 3\n", 33) + Repeat("Wend\n", 33),
       "Too many nested loops (32)!", 38},
      {"257 string constants", head + vars + StringAssignments(257),
       "Too many string constants (256)!", 262},
      {"10 $watchdog lines", head + Repeat("$watchdog = 2048\n", 10),
       "Too many $watchdog, $spi and $timer settings (33 start-up lines)!", 12},
      {"6 $spi lines", head + Repeat("$spi = 16, msb, master, low, low\n", 6),
       "Too many $watchdog, $spi and $timer settings (33 start-up lines)!", 8},
      {"a line of 254 characters", head + vars + "I = 1 '" + std::string(247, 'x') + "\nI = 2\nFrob\n",
       "Line too long (more than 253 characters)!", 6},
      {"an unclosed block comment", head + vars + "I = 1\n'( opened\nI = 2\n",
       "Missing \")'\" to close the block comment", 7},
      // The program may open 254 blocks: the 255th If (line 260) is one too many.
      {"one block past the limit: If", head + vars + Repeat("If I = 1 Then\n", 300) + Repeat("End If\n", 300),
       "Too many nested blocks (254)!", 260},
      {"one block past the limit: Select Case", head + vars + Repeat("Select Case I\nCase 1\n", 300) +
       Repeat("End Select\n", 300), "Too many nested blocks (254)!", 514},
      {"one block past the limit: mixed kinds", head + vars + Repeat("If I = 1 Then\nFor I = 1 To 2\nWhile I < 3\nDo\n", 20) +
       Repeat("Select Case I\nCase 1\nIf I = 2 Then\n", 100), "Too many nested blocks (254)!", 347},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::CompiledBasic r = test::CompileBasic(c.source + "End\n");
    EXPECT_EQ(r.failure, "");
    EXPECT_TRUE(r.StartsWithError(c.error, c.line)) << r.report;
  }
}

// The deepest nesting the compiler takes compiles to a program that runs; every block
// statement, an included file among them, opens one block.
TEST(CompilerLimits, TheDeepestNestingCompilesAndRuns) {
  std::string source = "$device = m8\n$clock = 4\n$stack = 32\nDim I As Byte, N As Byte\nI = 1\n";
  source += Repeat("If I = 1 Then\nSelect Case I\nCase 1\n", 127);
  source += "N = 254\n";
  source += Repeat("End Select\nEnd If\n", 127);
  auto run = test::RunBasic(source + "End\n");
  ASSERT_TRUE(run->ok) << run->compiled.report << run->compiled.failure;
  EXPECT_EQ(run->Byte("n"), 254);
}

// A nesting far beyond the limit ends the compilation with the numbered error, where the
// compiler's stack used to overflow (qbc ended by SIGSEGV, no message).
TEST(CompilerLimits, NestingBeyondTheLimitNeverOverflowsTheStack) {
  const std::string head = "$device = m8\n$clock = 4\n$stack = 32\nDim I As Byte\n";
  const std::string sources[] = {
      head + Repeat("If I = 1 Then\n", 12800) + "I = 2\n" + Repeat("End If\n", 12800),
      head + Repeat("Select Case I\nCase 1\n", 11400) + "I = 2\n" + Repeat("End Select\n", 11400),
  };
  for (const std::string& source : sources) {
    test::CompiledBasic r = test::CompileBasic(source + "End\n");
    EXPECT_EQ(r.failure, "");
    EXPECT_EQ(r.error_count, 1);
    EXPECT_NE(r.report.find(". Too many nested blocks (254)!"), std::string::npos) << r.report.substr(0, 500);
  }
}

// After a line too long the compilation goes on: errors of later lines are listed.
TEST(CompilerLimits, ALineTooLongIsPassedOver) {
  test::CompiledBasic r = test::CompileBasic("$device = m8\n$clock = 4\n$stack = 32\nDim I As Byte\n" +
                                             std::string(300, 'x') + "\n* 2\nEnd\n");
  EXPECT_EQ(r.failure, "");
  const std::string file = " (\"" + r.dir + "/prog.bas\" --> Line  ";
  EXPECT_EQ(r.report, " 1. Line too long (more than 253 characters)!" + file + "5)\r\n 2. Syntax error!" + file + "6)\r\n");
}

}  // namespace
}  // namespace qbc
