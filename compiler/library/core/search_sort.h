#pragma once
// Library routines of the Sort statement, the flash-table searches behind Find8 and
// Find16, and the string-list lookup of string tables.
#include "compiler/base/state.h"

namespace qbc {

// _Sort (NeedSort): X = byte array, zl = element count; sorted largest first.
void EmitSortRoutine(CompilerState& st);
// _Fnd16 with a 16-bit element count in r23:r22 (NeedFnd16Alt); index in zh:zl.
void EmitFind16Routine(CompilerState& st);
// _Fnd16 with an 8-bit element count in xl (NeedFnd16 without NeedFnd16Alt); index in zh:zl.
void EmitFind16RoutineAlt(CompilerState& st);
// _Fnd8 with an 8-bit element count in xl (NeedFnd8 without NeedFnd8Alt); index in zl.
void EmitFind8Routine(CompilerState& st);
// _Fnd8 with a 16-bit element count in r23:r22 (NeedFnd8Alt); index in zh:zl.
void EmitFind8RoutineAlt(CompilerState& st);
// _FSC (NeedFSC): Z = first string of a flash list, r24 = index from 0; Z = that string.
void EmitFindStrConstRoutine(CompilerState& st);

}  // namespace qbc
