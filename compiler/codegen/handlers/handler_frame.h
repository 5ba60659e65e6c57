#pragma once
// A handler's entry and exit around its body: SREG kept in r2, the registers of its save
// level, RAMPZ, the switch to the handlers' own software stack, the interrupted code's
// work areas put aside, and the handler's own frame.
#include "compiler/base/state.h"
#include "compiler/codegen/procedures.h"

namespace qbc {

// Save levels 0 to 4 as written, 5 for "all".
inline constexpr int kSaveAll = 5;

// From the label to the first line of the body.
void EmitHandlerEntry(CompilerState& st, int level, const BodyFrame& frame);
// From the last line of the body to "reti".
void EmitHandlerExit(CompilerState& st, int level);

}  // namespace qbc
