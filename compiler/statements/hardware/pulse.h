#pragma once
// Pulse: one pulse on a port pin, held for a number of three-cycle delay ticks.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns on the first token after the time.
void CompilePulseStatement(CompilerState& st);

}  // namespace qbc
