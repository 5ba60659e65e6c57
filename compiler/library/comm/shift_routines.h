#pragma once
// The bit-banged shift register routines of $shiftout and $shiftin: _Sout (zl out, eight
// clock pulses), _Sin (eight bits in, into zl) and _SOAll (zl bytes from X through _Sout).
#include "compiler/base/state.h"

namespace qbc {

void EmitShiftOutRoutine(CompilerState& st);
void EmitShiftInRoutine(CompilerState& st);
void EmitShiftOutAllRoutine(CompilerState& st);

}  // namespace qbc
