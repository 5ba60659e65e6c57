#include "compiler/driver/statement_loop.h"

#include <gtest/gtest.h>

#include "tests/support/basic_program.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

TEST(StatementLoop, StopsAtItsStopWordsWithoutConsumingThem) {
  for (const char* word : {"wend", "else", "elseif", "next", "case", "loop", ")"}) {
    test::CompilerFixture f;
    f.LoadSource(std::string(word) + " x\n");
    CompileStatementBlock(f.st);
    EXPECT_EQ(f.st.TokText(), word);
    EXPECT_EQ(f.st.src.TokenIndex, 0);
    EXPECT_EQ(f.st.ErrorCount, 0) << word;
  }
}

TEST(StatementLoop, EndOfFileEndsTheMainBlock) {
  test::CompilerFixture f;
  f.LoadSource("5\n: 7\n\n' comment\n");
  CompileStatementBlock(f.st);
  EXPECT_EQ(f.st.TokText(), "last");
  EXPECT_EQ(f.st.src.SourceLineNumber, 5);
  EXPECT_EQ(f.st.ErrorCount, 0);  // the ":" that starts a line is passed over
}

TEST(StatementLoop, EndWithABlockWordReturnsToTheBlock) {
  for (const char* line : {"5 : end if", "5 : end select", "5 : end sub", "5 : end function", "5 : end interrupt"}) {
    test::CompilerFixture f;
    f.LoadSource(std::string(line) + "\n");
    CompileStatementBlock(f.st);
    EXPECT_EQ(f.st.TokText(), "end") << line;
    EXPECT_EQ(f.st.src.TokenIndex, 2) << line;
  }
}

TEST(StatementLoop, OperatorAtStatementStartIsASyntaxErrorThatEndsTheBlock) {
  test::CompilerFixture f;
  f.LoadSource("* a\n5\n");
  CompileStatementBlock(f.st);
  EXPECT_EQ(f.report.Text(), " 1. Syntax error! (\"test.bas\" --> Line  1)\r\n");
  EXPECT_EQ(f.st.src.SourceLineNumber, 1);  // the rest of the source is not read
}

TEST(StatementLoop, UnknownCallNamePassesOverTheRestOfTheLine) {
  test::CompilerFixture f;
  f.LoadSource("foo(1, 2)\n5\n");
  CompileStatementBlock(f.st);
  EXPECT_EQ(f.report.Text(), " 1. Unknown identifier foo (\"test.bas\" --> Line  1)\r\n");
  EXPECT_EQ(f.st.TokText(), "last");
  EXPECT_EQ(f.st.src.SourceLineNumber, 3);
}

// A number token whose second character is "w" is a 1-Wire word: without a $1wire line
// none compiles to nothing, and a word that is none of the three is reported.
TEST(StatementLoop, OneWireWordsReachTheirGenerator) {
  test::CompilerFixture f;
  f.LoadSource("1wreset\n1wwrite 5 : 1wread\n1wfoo\n");
  CompileStatementBlock(f.st);
  EXPECT_EQ(f.report.Text(),
            " 1. 1Wire is not configured! (\"test.bas\" --> Line  1)\r\n"
            " 2. 1Wire is not configured! (\"test.bas\" --> Line  2)\r\n"
            " 3. 1Wire is not configured! (\"test.bas\" --> Line  2)\r\n"
            " 4. Not a valid 1Wire command! (\"test.bas\" --> Line  3)\r\n");
  EXPECT_EQ(f.st.ErrorCount, 4);
}

TEST(StatementLoop, OneLineIfEndsWithItsLine) {
  test::CompilerFixture f;
  f.LoadSource("5 : 6\n7\n");
  f.st.sticky.SingleLineIf = true;
  CompileStatementBlock(f.st);
  EXPECT_EQ(f.st.TokText(), "<EOL>");
  EXPECT_EQ(f.st.src.SourceLineNumber, 1);
}

TEST(StatementLoop, PerStatementCellsAreResetBetweenStatements) {
  test::CompilerFixture f;
  f.LoadSource("5\n");
  f.st.expr.StringVarFlag = true;
  f.st.expr.OperandInFlash = true;
  f.st.expr.CurrentVarType = 4;
  f.st.expr.MemCopyMode = true;
  f.st.expr.FirstStringTerm = false;
  f.st.sticky.OperandType = 5;
  CompileStatementBlock(f.st);
  EXPECT_FALSE(f.st.expr.StringVarFlag);
  EXPECT_FALSE(f.st.expr.OperandInFlash);
  EXPECT_EQ(f.st.expr.CurrentVarType, 0);
  EXPECT_FALSE(f.st.expr.MemCopyMode);
  EXPECT_TRUE(f.st.expr.FirstStringTerm);
  EXPECT_EQ(f.st.sticky.OperandType, 0);
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// The reader's end-of-file word is no word of the program: a variable named "last" is
// compiled like any other, at the start of a line, of a block body or after ":".
TEST(StatementLoop, AVariableNamedLastDoesNotEndTheProgram) {
  auto run = test::RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\nDim Last As Byte, B As Byte, I As Byte\n"
      "last = 5\n"
      "For I = 1 To 3\nLast = Last + I\nNext\n"
      "B = 1 : last = last + 1\n"
      "B = 7\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("last"), 12);
  EXPECT_EQ(run->Byte("b"), 7);
}

}  // namespace
}  // namespace qbc
