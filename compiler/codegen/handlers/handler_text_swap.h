#pragma once
// Emitter of _IsSw, which an interrupt handler calls on entry and before its return: it
// exchanges the float and formatted-number text buffers with the handler's keeping place,
// so the interrupted conversion finds its text again.
#include "compiler/base/state.h"

namespace qbc {

void EmitHandlerTextSwapRoutine(CompilerState& st);  // _IsSw

}  // namespace qbc
