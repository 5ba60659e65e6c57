// The editor's colouring of source lines.
#include <gtest/gtest.h>

#include "ide/core/basic_highlighter.h"
#include "ide/core/language_words.h"

namespace qbc {
namespace {

// One letter per character: t text, c comment, k keyword, w the environment's own words,
// n number, o operator, s string.
std::string Styles(const StyledLine& line) {
  std::string s;
  for (TextStyle st : line.styles) s += "tckwnos"[static_cast<int>(st)];
  return s;
}

TEST(BasicHighlighter, LineCases) {
  const std::pair<const char*, const char*> cases[] = {
      {"do DO Do dO", "kktkktkktkk"},
      {"$device= 8515", "wwwwwwwotnnnn"},
      {"$Asm $EndAsm", "kkkkTkkkkkkk"},
      {"x = \"it's\" ' note", "ttotsssssstcccccc"},
      {"1Wreset 12 3.6864", "wwwwwwwtnntnnnnnn"},
      {"PORTB.1 = &hFF", "kkkkkontotottt"},
      {"foo(1, 2)", "tttonotno"},
  };
  for (auto [line, expected] : cases) {
    std::string want = expected;
    for (char& c : want)
      if (c == 'T') c = 't';
    EXPECT_EQ(Styles(StyleLine(line, false)), want) << line;
  }
}

TEST(BasicHighlighter, BlockCommentSpansLines) {
  StyledLine first = StyleLine("a = 1 '( start\r\n", false);
  EXPECT_EQ(Styles(first), "ttotntcccccccccc");
  EXPECT_TRUE(first.endsInBlockComment);
  StyledLine middle = StyleLine("do loop\r\n", true);
  EXPECT_EQ(Styles(middle), "ccccccccc");
  EXPECT_TRUE(middle.endsInBlockComment);
  StyledLine last = StyleLine("end )' do\r\n", true);
  EXPECT_EQ(Styles(last), "cccccctkktt");
  EXPECT_FALSE(last.endsInBlockComment);
}

TEST(BasicHighlighter, EveryListWordIsColouredInAnyCase) {
  for (std::string_view w : kKeywordList) {
    std::string upper(w);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(WordStyle(upper), TextStyle::kKeyWord) << w;
  }
  for (std::string_view w : kTolkList3) {
    const TextStyle s = WordStyle(w);
    EXPECT_TRUE(s == TextStyle::kTolkKeyword || s == TextStyle::kKeyWord) << w;
  }
  EXPECT_EQ(WordStyle("$device"), TextStyle::kTolkKeyword);
  EXPECT_EQ(WordStyle("Left"), TextStyle::kKeyWord);
  EXPECT_EQ(WordStyle("counterx"), TextStyle::kText);
  EXPECT_EQ(WordListText(kOperatorList).substr(0, 10), "=\n+\n-\n/\n\\\n");
}

}  // namespace
}  // namespace qbc
