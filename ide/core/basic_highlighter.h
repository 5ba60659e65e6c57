#pragma once
// Colouring of one source line for the editor: words of the keyword list, words of the
// environment's own lists, numbers, operators, strings, the line comment "'" and the block
// comment "'(" ... ")'" that may span lines. Words match in any case and may begin with
// "$" or a digit.
#include <string_view>
#include <vector>

namespace qbc {

enum class TextStyle : unsigned char {
  kText = 0,
  kComment = 1,
  kKeyWord = 2,
  kTolkKeyword = 3,
  kNumber = 4,
  kOperator = 5,
  kString = 6,
};

struct StyledLine {
  std::vector<TextStyle> styles;  // one per character of the line
  bool endsInBlockComment = false;
};

// Styles `line` (its line end included or not); `inBlockComment` tells whether the line
// begins inside a block comment left open by the lines before it.
StyledLine StyleLine(std::string_view line, bool inBlockComment);

// The style of a word of the lists: kKeyWord, kTolkKeyword, or kText for any other word.
TextStyle WordStyle(std::string_view word);

}  // namespace qbc
