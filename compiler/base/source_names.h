#pragma once
// Tokens as the program wrote them: the language's own words and signs (never the text of
// a string literal), and names spelled as in the source for the messages that show them.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// Whether the token is the language's own word or sign `word`: a string literal holding
// the same text never is (Print ":" prints a colon).
inline bool IsWord(const TokenRecord& token, std::string_view word) {
  return token.Kind != kTokString && token.Text == word;
}

// A name token as the program wrote it (in lower case): the tokenizer appends "_" to the
// names x, y and z, which are register pairs to the assembler.
std::string SourceName(std::string_view tokenText);

// "Unknown identifier " and the name as the program wrote it.
std::string UnknownIdentifier(std::string_view tokenText);

}  // namespace qbc
