#pragma once
// Idle, PowerDown, PowerSave, Standby, ExtStandby: select the sleep mode, enable sleep and
// sleep until an interrupt wakes the chip.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns on the token after it. `mode` is a SleepMode of the
// device facts (Idle 0 .. ExtStandby 4).
void CompileSleepStatement(CompilerState& st, int mode);

}  // namespace qbc
