#pragma once
// The source line reader and the statement-end check every generator calls after its
// statement.
#include <functional>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// Adds 1 to SourceLineNumber, and marks the output: what is written from here on comes
// from that line.
void CountSourceLine(CompilerState& st);

// The next line of the current source file (SourceFileNumber) that holds something, blanks
// trimmed and leading TABs removed; "last" once the file is exhausted. Every line read is
// counted in SourceLineNumber, empty ones included. Leaves the line in SourceLine and its
// listing comment in ListingComment.
std::string ReadSourceLine(CompilerState& st);

// Reads the statements after the current one without compiling them: `visit` is called
// with TokenIndex at the start of each (those after ":" on the current line, then those of
// the following lines of the current source file) until it returns false or the file ends.
// The reading stops before a line it cannot read quietly: a block comment, a meta statement
// ("$"), a line too long. Everything it moved is put back (tokens, line, the file's read
// position); what the tokenizer finds wrong is reported when the line itself is compiled.
void VisitStatementsAhead(CompilerState& st, const std::function<bool(CompilerState&)>& visit);

// After a statement: steps past ":", or at "<EOL>" reads and tokenizes source lines until
// one gives at least two tokens (TokenIndex 0); anything else reports "Syntax error -> ".
void CheckStatementEnd(CompilerState& st);

// The listing comment of the line just read (with $source on) or, at the end of the main
// source, the end-of-user-code banner.
void EmitEndOfUserCode(CompilerState& st);

// Moves TokenIndex forward to the next "<EOL>" or ":" (not consumed).
void IsEndOfStatement(CompilerState& st);
inline void SkipToStatementEnd(CompilerState& st) { IsEndOfStatement(st); }

// True when `text` occurs within "01234567": any single digit 0 to 7, but also a run of
// consecutive such digits and the empty text.
bool IsBitIndex(std::string_view text);

}  // namespace qbc
