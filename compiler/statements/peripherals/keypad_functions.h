#pragma once
// Key() reads the keypad $key wires up (the key in zl, a byte; 0 for none); NoKey() waits
// until no key is down.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; return after the ")".
std::uint8_t CompileKeyFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileNoKeyFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
