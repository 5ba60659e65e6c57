#pragma once
// The language's keywords: the words the tokenizer gives the kind "keyword" (11). They are
// the words of every area's dispatch rows and the few syntax words that statements read
// themselves, so a statement's row is all it takes to make its word a keyword.
#include <span>
#include <string_view>
#include <vector>

namespace qbc {

// Keywords without a dispatch row: they close or qualify a statement that owns them, or
// are values, and reach the assignment when they are dispatched on their own.
std::span<const std::string_view> SyntaxWords();

// Every keyword once, sorted (lower case).
const std::vector<std::string_view>& KeywordList();

// True when the (lower-case) word is a keyword.
bool IsKeyword(std::string_view word);

}  // namespace qbc
