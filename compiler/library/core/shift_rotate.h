#pragma once
// Shift and rotate routines of the Shift and Rotate statements. The value is in zl
// (byte), zh:zl (word) or r19:r18:zh:zl (long); r24 holds the count and is 0 at exit.
// A count of 0 gives 256 passes (shifts leave 0, rotates the value unchanged).
#include "compiler/base/state.h"

namespace qbc {

void EmitShiftLeftByteRoutine(CompilerState& st);    // _ShtBL, NeedShiftLeftByte
void EmitShiftLeftWordRoutine(CompilerState& st);    // _ShtWL, NeedShiftLeftWord
void EmitShiftLeftLongRoutine(CompilerState& st);    // _ShtLL, NeedShiftLeftLong
void EmitShiftRightByteRoutine(CompilerState& st);   // _ShtBR, NeedShiftRightByte
void EmitShiftRightWordRoutine(CompilerState& st);   // _ShtWR, NeedShiftRightWord
void EmitShiftRightLongRoutine(CompilerState& st);   // _ShtLR, NeedShiftRightLong
void EmitRotateLeftByteRoutine(CompilerState& st);   // _RotBL, NeedRotateLeftByte
void EmitRotateRightByteRoutine(CompilerState& st);  // _RotBR, NeedRotateRightByte
void EmitRotateLeftWordRoutine(CompilerState& st);   // _RotWL, NeedRotateLeftWord
void EmitRotateRightWordRoutine(CompilerState& st);  // _RotWR, NeedRotateRightWord
void EmitRotateLeftLongRoutine(CompilerState& st);   // _RotLL, NeedRotateLeftLong
void EmitRotateRightLongRoutine(CompilerState& st);  // _RotLR, NeedRotateRightLong

}  // namespace qbc
