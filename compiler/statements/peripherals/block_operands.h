#pragma once
// The block form of SpiIn, SpiOut and ShiftOut: "name , count".
#include "compiler/base/state.h"

namespace qbc {

// True when the statement at the current token is the block form (a name and ",").
bool IsBlockForm(CompilerState& st);

// The named variable's address into X and the count (a byte, 0 counting 256) into zl.
// X waits on the stack while the count is compiled: an array element in the count
// reaches its element through X.
void EmitBlockOperands(CompilerState& st);

}  // namespace qbc
