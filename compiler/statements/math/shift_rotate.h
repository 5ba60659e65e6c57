#pragma once
// Shift and Rotate: a numeric variable moved by a number of bits, left or right, in place
// as a statement or as a value inside an expression (the variable is then left as it is).
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after the closing ")".
std::uint8_t CompileShiftStatement(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileRotateStatement(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
