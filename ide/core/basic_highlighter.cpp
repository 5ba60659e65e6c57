#include "ide/core/basic_highlighter.h"

#include <cctype>
#include <string>
#include <unordered_set>

#include "ide/core/language_words.h"

namespace qbc {

namespace {

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

template <std::size_t N>
std::unordered_set<std::string> LowerSet(const std::array<std::string_view, N>& words) {
  std::unordered_set<std::string> set;
  for (std::string_view w : words) set.insert(Lower(w));
  return set;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

bool IsOperator(char c) {
  for (std::string_view op : kOperatorList)
    if (op[0] == c) return true;
  return false;
}

bool IsNumber(std::string_view token) {
  for (char c : token)
    if (!IsDigit(c) && c != '.') return false;
  return !token.empty();
}

}  // namespace

TextStyle WordStyle(std::string_view word) {
  static const auto keywords = LowerSet(kKeywordList);
  static const auto tolk = [] {
    auto set = LowerSet(kTolkList2);
    set.merge(LowerSet(kTolkList3));
    return set;
  }();
  const std::string lower = Lower(word);
  // A word in both kinds of list is drawn as a keyword.
  if (keywords.contains(lower)) return TextStyle::kKeyWord;
  if (tolk.contains(lower)) return TextStyle::kTolkKeyword;
  return TextStyle::kText;
}

StyledLine StyleLine(std::string_view line, bool inBlockComment) {
  StyledLine out;
  out.styles.assign(line.size(), TextStyle::kText);
  auto paint = [&](std::size_t from, std::size_t to, TextStyle s) {
    for (std::size_t k = from; k < to; ++k) out.styles[k] = s;
  };
  std::size_t i = 0;
  bool inBlock = inBlockComment;
  while (i < line.size()) {
    if (inBlock) {
      std::size_t close = line.find(")'", i);
      std::size_t end = close == std::string_view::npos ? line.size() : close + 2;
      paint(i, end, TextStyle::kComment);
      if (close != std::string_view::npos) inBlock = false;
      i = end;
      continue;
    }
    const char c = line[i];
    if (c == '\'') {
      if (i + 1 < line.size() && line[i + 1] == '(') {
        inBlock = true;
        paint(i, i + 2, TextStyle::kComment);
        i += 2;
      } else {
        paint(i, line.size(), TextStyle::kComment);
        i = line.size();
      }
    } else if (c == '"') {
      std::size_t close = line.find('"', i + 1);
      std::size_t end = close == std::string_view::npos ? line.size() : close + 1;
      // An unclosed string ends with its line; the line end itself stays plain text.
      while (close == std::string_view::npos && end > i + 1 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
      paint(i, end, TextStyle::kString);
      i = end;
    } else if (IsWordChar(c)) {
      std::size_t end = i;
      while (end < line.size() && IsWordChar(line[end])) ++end;
      // The fraction of a decimal number belongs to it: 3.6864.
      if (IsNumber(line.substr(i, end - i)) && end + 1 < line.size() && line[end] == '.' && IsDigit(line[end + 1])) {
        ++end;
        while (end < line.size() && IsDigit(line[end])) ++end;
      }
      std::string_view word = line.substr(i, end - i);
      TextStyle s = WordStyle(word);
      if (s == TextStyle::kText && IsDigit(word[0])) s = TextStyle::kNumber;
      paint(i, end, s);
      i = end;
    } else {
      if (IsOperator(c)) paint(i, i + 1, TextStyle::kOperator);
      ++i;
    }
  }
  out.endsInBlockComment = inBlock;
  return out;
}

}  // namespace qbc
