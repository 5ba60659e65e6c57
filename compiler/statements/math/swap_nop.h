#pragma once
// Swap (the nibbles of a byte, the bytes of a word, or the values of two variables) and
// Nop (a number of nop instructions).
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after the statement.
void CompileSwapStatement(CompilerState& st);
void CompileNopStatement(CompilerState& st);

}  // namespace qbc
