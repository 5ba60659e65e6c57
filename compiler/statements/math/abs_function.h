#pragma once
// Abs: the absolute value of a number, taken in a signed type wide enough for the value
// the expression wants.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; leaves the token index after ")".
void CompileAbsFunction(CompilerState& st);

}  // namespace qbc
