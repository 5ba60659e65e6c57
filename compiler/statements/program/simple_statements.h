#pragma once
// Exit, End, and the Dim and Declare statements met after the first regular statement.
#include "compiler/base/state.h"

namespace qbc {

void CompileExitStatement(CompilerState& st);
void CompileEndStatement(CompilerState& st);
void CompileDimStatement(CompilerState& st);
void CompileDeclareStatement(CompilerState& st);

}  // namespace qbc
