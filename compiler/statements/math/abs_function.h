#pragma once
// Abs: the absolute value of a number, taken in a signed type wide enough for the value
// the expression wants.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; leaves the token index after ")".
std::uint8_t CompileAbsFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
