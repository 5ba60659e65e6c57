#pragma once
// Integer divide routines of the runtime library (labels Div8u, Di16u, Di16s, Div32).
// The link step calls each emitter when the routine's used flag is set:
//   NeedDiv8u -> EmitDiv8uRoutine     NeedDiv16u -> EmitDi16uRoutine
//   NeedDiv16s -> EmitDi16sRoutine    NeedDiv32 -> EmitDiv32Routine
//
// Register contracts (high byte first):
//   Div8u  r24 / zl -> zl quotient (also r24), r22 remainder; r23.
//   Di16u  r25:r24 / zh:zl -> zh:zl quotient, r25:r24 remainder; r23:r22 divisor; r20.
//   Di16s  signed r25:r24 / zh:zl -> zh:zl quotient truncated towards zero, r25:r24 the
//          remainder of the magnitudes (never negative); r23:r22 |divisor|; r21; r20.
//   Div32  signed r17:r16:r25:r24 / r19:r18:zh:zl -> r19:r18:zh:zl quotient truncated
//          towards zero, r17:r16:r25:r24 remainder of the magnitudes; r23:r22:r21:r20
//          |divisor|; r7 (sign); r26 (xl, the pass counter).
// Division by zero is not tested: the unsigned routines return all ones with the dividend
// as remainder; the signed ones return -1 for a non-negative dividend and 1 for a
// negative one, with |dividend| as remainder.
#include "compiler/base/state.h"

namespace qbc {

void EmitDiv8uRoutine(CompilerState& st);
void EmitDi16uRoutine(CompilerState& st);
void EmitDi16sRoutine(CompilerState& st);
void EmitDiv32Routine(CompilerState& st);

}  // namespace qbc
