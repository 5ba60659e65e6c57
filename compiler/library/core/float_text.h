#pragma once
// Emitters of the float-to-text routines: _Fstr (scientific text into _s1tmp), _Fdp
// (the number format's choice) and _Ffmt (fixed-point text into _s2tmp); _Fstr is in
// float_text_str.cpp.
#include "compiler/base/state.h"

namespace qbc {

void EmitFloatStrRoutine(CompilerState& st);       // _Fstr, table _FtblTen
void EmitFloatDecPointRoutine(CompilerState& st);  // _Fdp
void EmitFloatFormatRoutine(CompilerState& st);    // _Ffmt

}  // namespace qbc
