#pragma once
// PcKey() receives a byte from the PC/AT keyboard that $pckey wires up (a byte in zl);
// PcKeySend(x) sends it one (a command such as 0xED, set the LEDs, or its argument).
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; return after the ")".
std::uint8_t CompilePcKeyFunction(CompilerState& st, std::uint8_t wanted);
void CompilePcKeySendStatement(CompilerState& st);

}  // namespace qbc
