#pragma once
// Library routines of MemFill, MemCopy and Crc8 (the CRC also serves Rnd).
#include "compiler/base/state.h"

namespace qbc {

// _Mfil (NeedMfil): X = start, zl = fill byte, zh = count (0 fills 256 bytes). Devices
// whose SRAM ends above 255 also get _MfW: the count in r25:r24, 0 fills nothing.
void EmitMemFillRoutine(CompilerState& st);
// _MemC (NeedMemCopy): X = source, Z = destination, count in r25:r24 (r24 alone on
// devices whose SRAM ends at 256 or below); a count of 0 copies nothing.
void EmitMemCopyRoutine(CompilerState& st);
// _Crc8 (NeedCrc8): CRC-8 of the 1-Wire bus over zl bytes at X (0 means 256); result zl.
void EmitCalcCrc8Routine(CompilerState& st);

}  // namespace qbc
