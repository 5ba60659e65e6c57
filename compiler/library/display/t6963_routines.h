#pragma once
// The T6963C driver routines (a graphic LCD controller on an 8-bit data port and four
// control lines): the controller access, the layer layout and addressing.
#include "compiler/base/state.h"

namespace qbc {

void EmitT6963GraphLcdSetRoutines(CompilerState& st);
void EmitT6963ReadRoutines(CompilerState& st);
void EmitT6963WriteByteRoutine(CompilerState& st);
void EmitT6963TextHomeAreaRoutines(CompilerState& st);
void EmitT6963GraphHomeAreaRoutines(CompilerState& st);

}  // namespace qbc
