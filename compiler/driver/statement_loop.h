#pragma once
// The statement loop: compiles statements one after the other, handing each to the
// generator its first token selects, until a word that ends the block.
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// True for the words at which the loop stops: wend, else, elseif, next, case, loop and ")".
bool IsBlockStopWord(std::string_view token);

// A stop word, or the end of the source file (the reader's "last", not a program's word).
bool IsBlockStop(const TokenRecord& token);

// Compiles statements until a stop word (left as the current token), or "end" followed by
// a word within "if select sub interrupt function" (the "end" stays current), or the end
// of the line of a one-line If, or a statement that begins with no statement
// ("Syntax error!").
// Every block statement enters the loop again for its statements, so the compiler's own
// stack grows with the nesting: the program may open 254 blocks one inside the other (its
// own is one more); one more is the compile error "Too many nested blocks (254)!" at the
// line of the statement that opens it, which ends the compilation.
void CompileStatementBlock(CompilerState& st);

// For the statement loop of a whole file (the main program, an included file), after it
// returned: a stop word other than the end of the file closes a block that was never
// opened. That is reported as a compile error; otherwise the rest of the file would be
// passed over with the compilation reported as a success.
void ReportUnopenedBlockEnd(CompilerState& st);

}  // namespace qbc
