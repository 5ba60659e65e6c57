#pragma once
// The EEPROM's byte routines: _WrtEE writes zl at the address in r24 (r25:r24 on chips
// with more than 256 bytes), _RdEE reads the byte there into zl. Both wait for a write
// still running; _WrtEE keeps every register and the caller's interrupt flag.
#include "compiler/base/state.h"

namespace qbc {

void EmitWriteEERoutine(CompilerState& st);
void EmitReadEERoutine(CompilerState& st);

}  // namespace qbc
