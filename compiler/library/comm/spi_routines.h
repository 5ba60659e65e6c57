#pragma once
// The SPI unit's routines: _SpiO (send zl), _SpAll (zl bytes from X), _SPIch (one byte
// received into zl), _SPIal (zl bytes to X) and _SPIst (a string to X, r25 characters at
// most).
#include "compiler/base/state.h"

namespace qbc {

void EmitOutSpiRoutine(CompilerState& st);
void EmitSpiOutAllRoutine(CompilerState& st);
void EmitGetSpiCharRoutine(CompilerState& st);
void EmitSpiInputAllRoutine(CompilerState& st);
void EmitSpiStRoutine(CompilerState& st);

}  // namespace qbc
