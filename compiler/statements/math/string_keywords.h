#pragma once
// Asc (the code of a character of a string) and the LCase and UCase terms of a string
// assignment.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after the closing ")".
void CompileAscFunction(CompilerState& st);
void CompileLCaseFunction(CompilerState& st);
void CompileUCaseFunction(CompilerState& st);

}  // namespace qbc
