#pragma once
// Integer multiply routines of the runtime library (labels Mpy8u, Mp16u, Mp16s, Mul32).
// The link step calls each emitter when the routine's used flag is set:
//   NeedMul8u -> EmitMpy8uRoutine     NeedMul16u -> EmitMp16uRoutine
//   NeedMul16s -> EmitMp16sRoutine    NeedMul32 -> EmitMul32Routine
// On chips with the hardware multiplier (HardwareMultiplier of the device profile) the 16-
// and 32-bit emitters write the mul forms through EmitMp16HardwareRoutine and
// EmitMul32HardwareRoutine.
//
// Register contracts (high byte first):
//   Mpy8u  zl * r24 -> zl (low byte); shift form keeps zh and uses r19; mul form leaves
//          the high byte in zh and changes r0, r1.
//   Mp16u  zh:zl * r25:r24 -> zh:zl low 16 bits; the shift form leaves the whole product
//          in r23:r22:zh:zl and changes r21; the mul form changes r0, r1, r22, r23.
//          r24, r25, X and T are kept by both forms.
//   Mp16s  zh:zl * r25:r24 (signed) -> r23:r22:zh:zl, the 32-bit signed product; r21.
//   Mul32  r19:r18:zh:zl * r17:r16:r25:r24 -> r19:r18:zh:zl, the low 32 bits; the shift
//          form changes r20 to r23 and keeps r6; the mul form changes r0, r1, r20 to r23.
#include "compiler/base/state.h"

namespace qbc {

void EmitMpy8uRoutine(CompilerState& st);
void EmitMp16uRoutine(CompilerState& st);
void EmitMp16sRoutine(CompilerState& st);
void EmitMul32Routine(CompilerState& st);
// Called by the emitters above; write the hardware-multiplier forms.
void EmitMp16HardwareRoutine(CompilerState& st);
void EmitMul32HardwareRoutine(CompilerState& st);

}  // namespace qbc
