#pragma once
// The language's keyword list: the words the tokenizer gives the kind "keyword" (11).
#include <string_view>
#include <vector>

namespace qbc {

// The whole list, in its fixed order (lower case).
const std::vector<std::string_view>& KeywordList();

// True when the (lower-case) word stands in the keyword list.
bool IsKeyword(std::string_view word);

}  // namespace qbc
