#pragma once
// Splits one source line into the token table.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Longest line (after the reader's trimming) the tokenizer takes; a longer one is a
// run-time failure of the tokenizer (the statement-end check reports a longer source line
// as a compile error and passes over it).
constexpr std::size_t kMaxSourceLineLength = 253;

// Tokenizes `line` into Tokens from index TokenCount upward (the caller sets TokenCount
// and TokenIndex to 0 first). On return TokenCount counts the tokens including the final
// "<EOL>" (kind 0). Records beyond the "<EOL>" keep what earlier lines left there.
// Words are lower-cased; x, y and z become x_, y_ and z_; "<=", ">=", "=>" and "<>" are
// merged from their two characters. A comment ends the line; "'(" starts a block comment
// whose lines (up to the first one holding ")'") are read from the current source file.
// Sets SkipOperandPush when the line is an assignment of exactly one two-operand operator
// without parentheses.
void TokenizeLine(CompilerState& st, std::string& line);

}  // namespace qbc
