#pragma once
// Timer0 .. Timer5 (Counter0 .. Counter5) as a value and as the target of an assignment,
// and Capture1, Capture3 .. Capture5 as values: the count and input capture registers.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword. In an expression the register's value is left in the working
// registers, widened to the type the expression wants; at the start of a statement
// "=" and the value follow.
std::uint8_t CompileTimerAccess(CompilerState& st, int timer, std::uint8_t wanted);
std::uint8_t CompileCaptureFunction(CompilerState& st, int timer, std::uint8_t wanted);

}  // namespace qbc
