#pragma once
// Shift and Rotate: a numeric variable moved by a number of bits, left or right, in place
// as a statement or as a value inside an expression (the variable is then left as it is).
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after the closing ")".
void CompileShiftStatement(CompilerState& st);
void CompileRotateStatement(CompilerState& st);

}  // namespace qbc
