#pragma once
// Start and Stop: a timer's clock, the analog-to-digital converter, the analog comparator
// and the watchdog.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns one token past the last word read.
void CompileStartStatement(CompilerState& st);
void CompileStopStatement(CompilerState& st);

}  // namespace qbc
