#include "compiler/base/compile_error.h"

#include <gtest/gtest.h>

#include "compiler/base/labels.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

TEST(CompileError, LinesAreNumberedAndNameTheFileAndLine) {
  struct Case {
    const char* file;
    int includeLevel;
    int line;
    const char* message;
    const char* expectedLine;
  };
  const Case cases[] = {
      {"/home/u/Prog.bas", 0, 12, "Syntax error!", " 1. Syntax error! (\"/home/u/Prog.bas\" --> Line  12)\r\n"},
      {"/home/u/Prog.bas", 0, 0, "Nothing to compile!", " 2. Nothing to compile! (\"/home/u/Prog.bas\" --> Line  0)\r\n"},
      {"inc/lib.bas", 1, 3, "Missing \"THEN\"", " 3. Missing \"THEN\" (\"inc/lib.bas\" --> Line  3)\r\n"},
  };
  test::CompilerFixture f;
  f.report.SetText("Running Compiler ... ");
  std::string expected;
  for (const Case& c : cases) {
    f.st.src.IncludeLevel = static_cast<std::uint8_t>(c.includeLevel);
    f.st.src.IncludeStack[c.includeLevel].FileName = c.file;
    f.st.src.SourceLineNumber = static_cast<std::int16_t>(c.line);
    const auto index = f.st.src.TokenIndex;
    CompileError(f.st, c.message);
    EXPECT_EQ(f.st.src.TokenIndex, index + 1);
    expected += c.expectedLine;
    EXPECT_EQ(f.report.Text(), expected);  // the first error cleared the box
  }
  EXPECT_EQ(f.st.ErrorCount, 3);
}

TEST(CompileError, InPlaceReportsCountAndKeepTheTokenAndAWatchSeesThem) {
  test::CompilerFixture f;
  f.Tokenize("a = b + c");
  f.st.src.TokenIndex = 2;
  const ErrorWatch errors(f.st);
  EXPECT_FALSE(errors.Seen());
  ReportInPlace(f.st, "Only numeric variables!");
  EXPECT_EQ(f.st.src.TokenIndex, 2);
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_EQ(f.report.Text(), " 1. Only numeric variables! (\"test.bas\" --> Line  0)\r\n");
  EXPECT_TRUE(errors.Seen());
  ErrorWatch later(f.st);
  EXPECT_FALSE(later.Seen());
  CompileError(f.st, "Syntax error!");
  EXPECT_TRUE(later.Seen());
  later.Restart();
  EXPECT_FALSE(later.Seen());
}

TEST(ExpectToken, MatchStepsOnceMissingReportsAndStepsTwice) {
  test::CompilerFixture f;
  f.Tokenize("if a then b");
  f.st.src.TokenIndex = 2;
  ExpectToken(f.st, "then");
  EXPECT_EQ(f.st.src.TokenIndex, 3);
  EXPECT_EQ(f.st.ErrorCount, 0);
  ExpectToken(f.st, "then");
  EXPECT_EQ(f.st.src.TokenIndex, 5);
  EXPECT_EQ(f.report.Text(), " 1. Missing \"THEN\" (\"test.bas\" --> Line  0)\r\n");
}

TEST(ExpectToken, ErrorPathsMayStepPastTheLineButNeverReadWhatLiesBeyondIt) {
  test::CompilerFixture f;
  f.Tokenize("a = b + c");
  f.Tokenize("d");
  f.st.src.TokenIndex = 1;  // "<EOL>"
  ExpectToken(f.st, "=");
  EXPECT_EQ(f.st.src.TokenIndex, 3);
  // The longer line left "+" in this record; past the end every read is the "<EOL>".
  EXPECT_EQ(f.st.TokText(), "<EOL>");
  f.st.src.TokenIndex = 256;
  ExpectToken(f.st, "then");  // reads the "<EOL>", then steps beyond the table
  EXPECT_EQ(f.st.src.TokenIndex, 258);
  EXPECT_THROW(f.st.TokText(), CompileFailure);
}

// A label never repeats within a program: four digits at least, more after L9999.
TEST(Labels, FourDigitsAtLeastNeverWrapping) {
  const std::pair<int, const char*> cases[] = {
      {0, "L0000"},      {12, "L0012"},     {999, "L0999"},     {9999, "L9999"},
      {10000, "L10000"}, {10001, "L10001"}, {32767, "L32767"},  {40000, "L40000"},
  };
  test::CompilerFixture f;
  for (const auto& [counter, label] : cases) {
    f.st.sym.LabelCounter = counter;
    EXPECT_EQ(NewLabel(f.st), label);
    EXPECT_EQ(f.st.sym.LabelCounter, counter + 1);
  }
}

TEST(Labels, SuccessiveLabelsAndTheLabelLine) {
  test::CompilerFixture f;
  EXPECT_EQ(NewLabel(f.st), "L0000");
  EXPECT_EQ(NewLabel(f.st), "L0001");
  EmitLabel(f.st, "L0001");
  EXPECT_EQ(f.st.out.Str(), "L0001:\r\n");
}

}  // namespace
}  // namespace qbc
