#include "compiler/frontend/source_reader.h"

#include <gtest/gtest.h>

#include "compiler/frontend/source_files.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct ReadLine {
  int number;
  std::string line;
  std::string listing;
};

std::vector<ReadLine> ReadAll(const std::string& text) {
  test::CompilerFixture f;
  f.st.src.SourceFileNumber = OpenSourceText(f.st, "t.bas", text);
  std::vector<ReadLine> lines;
  for (;;) {
    std::string line = ReadSourceLine(f.st);
    EXPECT_EQ(line, f.st.src.SourceLine);
    lines.push_back({f.st.src.SourceLineNumber, line, f.st.src.ListingComment});
    if (line == "last") break;
  }
  return lines;
}

TEST(ReadSourceLine, TrimsSkipsEmptyLinesCountsEveryLineAndEndsWithLast) {
  const std::vector<ReadLine> expected = {
      {1, "$device = m8", ";-Line--0001----$device = m8"},
      {4, "  a = 1", ";-Line--0004----  a = 1"},  // TABs go, the blanks after them stay
      {5, "b", ";-Line--0005----b"},
      {6, "last", ""},
  };
  // The same lines with CR LF, LF and lone CR line ends, with and without a final one.
  for (const std::string& text : {
           std::string("  $device = m8  \r\n\r\n\t\t\r\n\t\t  a = 1 \r\nb"),
           std::string("  $device = m8  \n\n\t\t\n\t\t  a = 1 \nb\n"),
           std::string("  $device = m8  \r\r\t\t\r\t\t  a = 1 \rb\r\n"),
       }) {
    auto lines = ReadAll(text);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].number, expected[i].number);
      EXPECT_EQ(lines[i].line, expected[i].line);
      EXPECT_EQ(lines[i].listing, expected[i].listing);
    }
  }
}

TEST(ReadSourceLine, ByteOrderMarksAreDropped) {
  for (const std::string& text : {std::string("\xFF\xFE" "a = 1\n"), std::string("\xEF\xBB\xBF" "a = 1\n")}) {
    auto lines = ReadAll(text);
    EXPECT_EQ(lines.front().line, "a = 1");
  }
}

TEST(ReadSourceLine, ListingCommentKeepsTheLastFourDigits) {
  const std::pair<int, const char*> cases[] = {{7, "0007"}, {123, "0123"}, {12345, "2345"}};
  for (const auto& [number, digits] : cases) {
    test::CompilerFixture f;
    f.st.src.SourceFileNumber = OpenSourceText(f.st, "t.bas", "x\n");
    f.st.src.SourceLineNumber = static_cast<std::int16_t>(number - 1);
    ReadSourceLine(f.st);
    EXPECT_EQ(f.st.src.ListingComment, std::string(";-Line--") + digits + "----x");
  }
}

TEST(CheckStatementEnd, ColonLineEndAndAnythingElse) {
  test::CompilerFixture f;
  f.LoadSource("a = 1 : b = 2\n' comment only\n'( block\n)'\nc = 3\n");
  EXPECT_EQ(f.st.src.SourceLineNumber, 1);
  f.st.src.TokenIndex = 3;  // ":"
  CheckStatementEnd(f.st);
  EXPECT_EQ(f.st.src.TokenIndex, 4);
  f.st.src.TokenIndex = 7;  // "<EOL>"
  CheckStatementEnd(f.st);
  EXPECT_EQ(f.st.src.TokenIndex, 0);
  EXPECT_EQ(f.st.TokText(), "c");
  EXPECT_EQ(f.st.src.SourceLineNumber, 5);
  f.st.src.TokenIndex = 1;  // "="
  CheckStatementEnd(f.st);
  EXPECT_EQ(f.report.Text(), " 1. Syntax error -> = (\"test.bas\" --> Line  5)\r\n");
  EXPECT_EQ(f.st.src.TokenIndex, 2);
}

TEST(CheckStatementEnd, ResetsTheStatementFlagsBeforeTheNextLine) {
  test::CompilerFixture f;
  f.LoadSource("a = 1\nb = c\n");
  f.st.expr.FirstStringTerm = false;
  f.st.sticky.SkipOperandPush = true;
  f.st.sticky.LogicOperatorSeen = true;
  f.st.src.TokenIndex = 3;
  CheckStatementEnd(f.st);
  EXPECT_TRUE(f.st.expr.FirstStringTerm);
  EXPECT_FALSE(f.st.sticky.SkipOperandPush);
  EXPECT_FALSE(f.st.sticky.LogicOperatorSeen);
}

// What the statement-end check writes into the output after the first pass: listing
// comments (with the source listing on) and, at the end of the main file, the banner.
TEST(CheckStatementEnd, ListingCommentsAndTheEndBanner) {
  struct Case {
    bool listing;
    int includeLevel;
    std::string output;
  };
  const std::string banner = "\r\n;****** END OF USER BASIC CODE ****************\r\n";
  const Case cases[] = {
      {true, 0, "\r\n;-Line--0002----b = 2--\r\n" + banner},
      {false, 0, banner},
      {true, 1, "\r\n;-Line--0002----b = 2--\r\n"},
      {false, 1, ""},
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    f.LoadSource("a = 1\nb = 2\ndim c as byte\n");
    f.st.src.DeclarationsEnded = true;
    f.st.cfg.ListSourceInAsm = c.listing;
    f.st.src.IncludeLevel = static_cast<std::uint8_t>(c.includeLevel);
    for (int line = 0; line < 3; ++line) {
      IsEndOfStatement(f.st);
      CheckStatementEnd(f.st);
    }
    EXPECT_EQ(f.st.TokText(), "last");
    EXPECT_EQ(f.st.out.Str(), c.output) << c.listing << " " << c.includeLevel;
  }
}

TEST(CheckStatementEnd, NothingIsWrittenDuringTheFirstPass) {
  test::CompilerFixture f;
  f.LoadSource("a = 1\nb = 2\n");
  f.st.cfg.ListSourceInAsm = true;
  f.st.src.TokenIndex = 3;
  CheckStatementEnd(f.st);
  EXPECT_EQ(f.st.out.Str(), "");
}

TEST(IsEndOfStatement, StopsAtColonOrEndOfLine) {
  test::CompilerFixture f;
  f.Tokenize("a = b + c : d = 1");
  IsEndOfStatement(f.st);
  EXPECT_EQ(f.st.src.TokenIndex, 5);
  f.st.src.TokenIndex = 6;
  SkipToStatementEnd(f.st);
  EXPECT_EQ(f.st.src.TokenIndex, 9);
  IsEndOfStatement(f.st);
  EXPECT_EQ(f.st.src.TokenIndex, 9);
}

TEST(IsBitIndex, TextWithinTheDigitsZeroToSeven) {
  const std::pair<const char*, bool> cases[] = {
      {"0", true}, {"7", true}, {"8", false}, {"9", false}, {"23", true},
      {"", true},  {"32", false}, {"a", false}, {"07", false},
  };
  for (const auto& [text, result] : cases) EXPECT_EQ(IsBitIndex(text), result) << text;
}

}  // namespace
}  // namespace qbc
