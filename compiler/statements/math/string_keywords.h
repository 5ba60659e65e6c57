#pragma once
// Asc (the code of a character of a string) and the LCase and UCase terms of a string
// assignment.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after the closing ")".
std::uint8_t CompileAscFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileLCaseFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileUCaseFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
