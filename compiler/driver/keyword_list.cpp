#include "compiler/driver/keyword_list.h"

#include <algorithm>

#include "compiler/driver/keyword_dispatch.h"

namespace qbc {

namespace {

constexpr std::string_view kSyntaxWords[] = {"def", "next", "loop", "wend", "true",
                                             "false", "asm", "off", "fastpwm", "jtag"};

}  // namespace

std::span<const std::string_view> SyntaxWords() { return kSyntaxWords; }

const std::vector<std::string_view>& KeywordList() {
  static const std::vector<std::string_view> list = [] {
    std::vector<std::string_view> v(std::begin(kSyntaxWords), std::end(kSyntaxWords));
    for (const DispatchRow* row : DispatchRows()) v.push_back(row->keyword);
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
  }();
  return list;
}

bool IsKeyword(std::string_view word) {
  const auto& list = KeywordList();
  return std::binary_search(list.begin(), list.end(), word);
}

}  // namespace qbc
