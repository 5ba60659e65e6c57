#pragma once
// Key() reads the keypad $key wires up (the key in zl, a byte; 0 for none); NoKey() waits
// until no key is down.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; return after the ")".
void CompileKeyFunction(CompilerState& st);
void CompileNoKeyFunction(CompilerState& st);

}  // namespace qbc
