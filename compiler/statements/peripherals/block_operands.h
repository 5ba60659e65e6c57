#pragma once
// The block forms of the transfer statements: "name , count". The routines move zl bytes
// (none for 0).
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

// True when the statement at the current token is the block form (a name and ",").
bool IsBlockForm(CompilerState& st);

// A count written as a constant must lie in 1..255: 0 would move nothing. Reported at the
// count; the token index does not move.
void CheckBlockCount(CompilerState& st);

// The named variable's address into X and the count (a byte) into zl.
// X waits on the stack while the count is compiled: an array element in the count
// reaches its element through X. `wanted` is the type the statement's values were last
// wanted in (on a chip with at most 256 bytes of SRAM a word clears xh); returns the type
// the count went on in.
std::uint8_t EmitBlockOperands(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
