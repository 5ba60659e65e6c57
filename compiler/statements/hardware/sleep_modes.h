#pragma once
// Idle, PowerDown, PowerSave, Standby, ExtStandby: select the sleep mode, enable sleep and
// sleep until an interrupt wakes the chip.
#include "compiler/base/state.h"

namespace qbc {

enum class SleepMode { Idle, PowerDown, PowerSave, Standby, ExtStandby };

// Entered on the keyword; returns on the token after it.
void CompileSleepStatement(CompilerState& st, int mode);

}  // namespace qbc
