#pragma once
// Bit-variable helpers (the current bit travels in the T flag):
//   _StBit  T = bit 0 of zl
//   _VaBit  r23 = 1 << zl (zl = 0..7; zl ends 0)
//   _VaBiL  zl shifted right r24 times (r24 = 1..255; r24 ends 0)
namespace qbc {
struct CompilerState;

void EmitStoreBitVarRoutine(CompilerState& st);  // NeedStoreBit: _StBit
void EmitVaBitRoutine(CompilerState& st);        // NeedBitMask: _VaBit
void EmitLoadBitVarRoutine(CompilerState& st);   // NeedVaBiL: _VaBiL

}  // namespace qbc
