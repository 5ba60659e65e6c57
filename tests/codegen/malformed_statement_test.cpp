// Statements that are cut short or hold a word in the wrong place end in their compile
// errors: the list parsers always advance or stop, a statement keyword met as an operand
// is one error instead of a statement compiled inside the expression, and nothing is
// ever read from the token records past the end of the line.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char kHead[] =
    "$device = m8\n$clock = 8\n$stack = 32\n"
    "Dim A As Byte\nDim Arr(3) As Byte\nDim S As String * 5\nDim Sa(3) As String * 4\n";

struct Case {
  const char* line;
  const char* firstError;
};

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(MalformedStatement, ListsThatDoNotCloseEndInOneError) {
  const Case cases[] = {
      {"Arr = (1 = 2)", "Missing \")\""},   {"Arr X(2) = 1", "Missing \"=\""},
      {"S = (\"a\", = \"b\")", "Missing \")\""}, {"Arr = (1, 2", "Missing \")\""},
      {"Sa = (\"a\" \"b\")", "Missing \")\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const CompiledBasic out = CompileBasic(std::string(kHead) + c.line + "\nEnd\n");
    EXPECT_EQ(out.error_count, 1) << out.report;
    EXPECT_NE(out.report.find(std::string(" 1. ") + c.firstError), std::string::npos) << out.report;
    EXPECT_EQ(out.failure, "");
    EXPECT_LT(out.asm_text.size(), 100'000u);
  }
}

TEST(MalformedStatement, AStatementKeywordAsAnOperandIsOneError) {
  const Case cases[] = {
      {"A = While", "WHILE cannot stand in an expression!"},
      {"A = Peek(While)", "WHILE cannot stand in an expression!"},
      {"A = Len(S) + Wend", "WEND cannot stand in an expression!"},
      // (into a string: Mid into the Byte A is refused as a text before its arguments)
      {"S = Mid(S, For", "FOR cannot stand in an expression!"},
      {"Arr(If) = 2", "IF cannot stand in an expression!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    // A later While/Wend pair must stay a pair: the bad line compiled no block of its own.
    const CompiledBasic out =
        CompileBasic(std::string(kHead) + c.line + "\nWhile A < 3\nA = A + 1\nWend\nEnd\n");
    EXPECT_NE(out.report.find(std::string(" 1. ") + c.firstError), std::string::npos) << out.report;
    EXPECT_EQ(Count(out.report, "cannot stand"), 1) << out.report;
    EXPECT_EQ(out.report.find("terminated"), std::string::npos) << out.report;
    EXPECT_EQ(out.report.find("WEND"), out.report.find("WEND cannot")) << out.report;
    EXPECT_EQ(out.failure, "");
  }
}

TEST(MalformedStatement, TokensLeftByALongerLineAreNeverCompiled) {
  const CompiledBasic out = CompileBasic(std::string(kHead) +
                                         "A = A + A + A + A + 77 + A + 88\n"
                                         "A = (\n"
                                         "End\n");
  EXPECT_EQ(out.error_count, 2) << out.report;
  EXPECT_EQ(Count(out.asm_text, "byte1(77)"), 1) << out.asm_text;
  EXPECT_EQ(Count(out.asm_text, "byte1(88)"), 1) << out.asm_text;
}

}  // namespace
}  // namespace qbc::test
