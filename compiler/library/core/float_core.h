#pragma once
// The single-precision float library's base routines.
//
// Number format: IEEE 754 single precision. A (first operand and every result) is
// r25..r22, B (second operand) r21..r18, most significant byte highest. Results are
// rounded to nearest, ties to even; a result below the smallest normal number becomes +0
// (every zero result is +0); an operand with the exponent field 255 (infinity, NaN) gives
// the NaN pattern r25 = 0xFF, r24 = 0xC0 with r23, r22 as they were; a result too large
// for the format gives r25 = 0xFF, r24 = 0xC0 with r23, r22 holding the low 16 bits of
// the unrounded result's mantissa. A / 0 is the NaN pattern with A's r23, r22.
//
// Unpacked form (inside the routines): biased exponent in r25 (B: r21), 24-bit mantissa
// with the leading one explicit in r24:r23:r22 (B: r20:r19:r18), extension byte xh (B: xl),
// sticky byte r0 (non-zero when bits below the extension byte were lost), result sign in T.
// An unpacked exponent of 0 is zero; 255 is the NaN/overflow mark that _Fback turns into
// the NaN pattern.
//
// Scratch: r0, r7, X, Z and T (and B, which the arithmetic routines leave changed).
// _Fback and _Fnan leave r7 = 0, and the routines that do not pass through them leave r7
// as it was, so r7 stays 0 between the routines; r1..r6, r8..r17 and Y are never touched.
//
// Entry points and their calls inside the library:
//   core (NeedFloatCore): _Fwrk1 (T = sign A xor sign B, unpack B and A), _Fwrk2 (unpack B
//     and A), _Fwrk3 (unpack A) -- on an exponent of 255 they drop their caller's return
//     address (2 bytes, 3 on devices above 128 KB) and return the NaN pattern from there;
//     _Fnan, _Fback (pack with rounding), _Fclr (zero), _Fclr1 (r25 = 0), _Fus2f/_Fs2f
//     (unsigned/signed long to float), _Fxsf (float to long, truncating; 0 for |A| >= 2^32),
//     _Fneg (negate the long in r25..r22), _Fba (B = A).
//   add/sub (NeedFadd): _Fsub, _Fadd, _FaddD (unpacked: A with its sign in r7 bit 7, T set
//     when the signs differ; returns unpacked with the sign in T; Z is kept).
//   mul (NeedFmul): _Fpow2 (A * A), _Fmul, _FmulD (unpacked).
//   div (NeedFdiv): _Finv (1 / A), _Fdiv, _FdivD (unpacked; a zero divisor marks NaN).
//   _Fmov (NeedFmov): exchange A and B.
//   _F2e (NeedF2e): A * 2^n, n signed 16-bit in r21:r20.
//   compare (NeedFcmp0): _Fcmp (flags: Z equal, C A < B, T unordered; -0 < +0),
//     _Fcmf (r24 = 0xFF / 0x00 / 0x01 for <, =, >; 0x00 with T set when unordered),
//     _Fcmp0 and _Fcmp1 (as _Fcmf, an unordered comparison giving 0x01 and 0xFF).
#include "compiler/base/state.h"

namespace qbc {

void EmitFloatCoreRoutines(CompilerState& st);    // NeedFloatCore
void EmitFloatAddSubRoutine(CompilerState& st);   // NeedFadd: _Fsub, _Fadd, _FaddD
void EmitFloatMulRoutine(CompilerState& st);      // NeedFmul: _Fpow2, _Fmul, _FmulD
void EmitFloatDivRoutine(CompilerState& st);      // NeedFdiv: _Finv, _Fdiv, _FdivD
void EmitFloatMoveRoutine(CompilerState& st);     // NeedFmov: _Fmov
void EmitFloatToExpRoutine(CompilerState& st);    // NeedF2e: _F2e
void EmitFloatCompareRoutine(CompilerState& st);  // NeedFcmp0: _Fcmp0, _Fcmp1, _Fcmf, _Fcmp

}  // namespace qbc
