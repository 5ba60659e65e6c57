#pragma once
// RC5(address, command): receives one infrared RC5 frame on the $rc5 pin into two
// variables (the address byte holds the toggle bit in bit 5).
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns after the ")".
void CompileRc5Statement(CompilerState& st);

}  // namespace qbc
