#pragma once
// The start-up code's peripheral set-up and the banner that opens the user's code.
#include "compiler/base/state.h"

namespace qbc {

// UART control and frame registers, the DTMF timer, the prepared baud-rate and timer
// lines, the library initialisation calls, pin directions and number-format cells.
void EmitPeripheralInit(CompilerState& st);
// An empty line, the "USERS BASIC CODE" banner and the listing comment of the first
// statement's line.
void EmitUserCodeBanner(CompilerState& st);

}  // namespace qbc
