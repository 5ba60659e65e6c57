#pragma once
// Enable and Disable: the global interrupt flag, one interrupt source's enable bit, or a
// hardware UART.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns one token past the source word.
void CompileEnableStatement(CompilerState& st);
void CompileDisableStatement(CompilerState& st);

}  // namespace qbc
