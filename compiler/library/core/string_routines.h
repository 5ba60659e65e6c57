#pragma once
// Run-time string routines: compare, length, store, string-array initialisation, case
// conversion and substring search. Each emitter writes one routine (the link step calls
// it when the routine's used flag is set).
//
// Register contracts (X: SRAM string read or written, Z: the other string, r20: capacity):
//   _StrCmp  X, Z SRAM strings        -> T clear and Z flag set when equal
//   _StCCp   X SRAM, Z flash          -> Z flag set when equal; X kept
//   _LenS    Z SRAM / _LenC Z flash   -> zl = number of characters
//   _StStr   Z SRAM source, X dest, r20 capacity -> X on the new terminator
//   _StStC   Z flash source, as _StStr
//   _StrI    X first element, Z flash text, r22 element capacity, r21 element count
//   _StrZ    X variable, Z flash text, r20 capacity (text zero-padded to the capacity;
//            a text as long as the capacity or longer is cut, never written past it)
//   _Lcase/_Ucase  Z source, X destination (may be the same string)
//   _Instr   X searched, Z sought, r24 = 1 when the sought string is in flash
//   _Inst    as _Instr with r20 = 1-based start position (a start of 0 or past the end of
//            the searched string gives 0)
//            -> zl = 1-based position of the first match, 0 when none; changes r18..r21,
//               r25, r0, X, Z and T on every device
namespace qbc {
struct CompilerState;

void EmitStringCompareRoutine(CompilerState& st);       // NeedStrCmp: _StrCmp
void EmitStringConstCompareRoutine(CompilerState& st);  // NeedStrConstCmp: _StCCp
void EmitLenStrRoutine(CompilerState& st);              // NeedLenStr: _LenS
void EmitLenStrConstRoutine(CompilerState& st);         // NeedLenStrConst: _LenC
void EmitStoreStrRoutine(CompilerState& st);            // NeedStoreStr: _StStr
void EmitStoreStrConstRoutine(CompilerState& st);       // NeedStoreStrConst: _StStC
void EmitInitStrArrayRoutine(CompilerState& st);        // NeedStrI: _StrI, _StrZ (calls _StStC)
void EmitLcaseRoutine(CompilerState& st);               // NeedLcase: _Lcase
void EmitUcaseRoutine(CompilerState& st);               // NeedUcase: _Ucase
void EmitInstrRoutine(CompilerState& st);               // NeedInstr: _Instr, _Inst

}  // namespace qbc
