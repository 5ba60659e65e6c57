#pragma once
// Integer square roots, the sign extension of an integer to a long, and packed BCD.
#include "compiler/base/state.h"

namespace qbc {

// _Sqr16 (NeedSqr16): zh:zl = radicand; zh:zl = square root rounded to the nearest
// integer (256 for radicands from 65281 up).
void EmitSqr16Routine(CompilerState& st);
// _Sqr32 (NeedSqr32): r19:r18:zh:zl = radicand; zh:zl = integer part of the root.
void EmitSqr32Routine(CompilerState& st);
// _I2L (NeedI2L): integer zh:zl to long r19:r18:zh:zl.
void EmitIntToLongRoutine(CompilerState& st);
// _I2Lo (NeedI2Lo): integer r25:r24 to long r17:r16:r25:r24.
void EmitIntToLongR16Routine(CompilerState& st);
// _Bcd (NeedBcd; calls Div8u, whose flag its caller sets): zl (0..99) to packed BCD.
void EmitBcdRoutine(CompilerState& st);
// _FBcd (NeedFromBcd; calls Mpy8u, whose flag its caller sets): packed BCD zl to value.
void EmitFromBcdRoutine(CompilerState& st);

}  // namespace qbc
