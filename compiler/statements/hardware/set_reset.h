#pragma once
// Set and Reset: one bit of a device register, a $def alias, a variable or a local made 1
// or 0; Reset also restarts the watchdog, clears an external interrupt's pending flag or
// restarts the program.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns on the first token after the operand.
void CompileSetStatement(CompilerState& st);
void CompileResetStatement(CompilerState& st);

}  // namespace qbc
