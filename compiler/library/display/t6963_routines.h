#pragma once
// The T6963C driver routines (a graphic LCD controller on an 8-bit data port and four
// control lines): the controller access, the layer layout and addressing, the drawing.
#include "compiler/base/state.h"

namespace qbc {

void EmitT6963GraphLcdSetRoutines(CompilerState& st);
void EmitT6963ReadRoutines(CompilerState& st);
void EmitT6963WriteByteRoutine(CompilerState& st);
void EmitT6963TextHomeAreaRoutines(CompilerState& st);
void EmitT6963GraphHomeAreaRoutines(CompilerState& st);
void EmitT6963Pset8Routine(CompilerState& st);
void EmitT6963Pset6Routine(CompilerState& st);
void EmitT6963LineHRoutine(CompilerState& st);
void EmitT6963LineVRoutine(CompilerState& st);
void EmitT6963BoxRoutine(CompilerState& st);
void EmitT6963CircleRoutine(CompilerState& st);
void EmitT6963LineRoutine(CompilerState& st);
void EmitT6963PointRoutine(CompilerState& st);
void EmitT6963FillRoutine(CompilerState& st);
void EmitT6963InverseRoutine(CompilerState& st);
void EmitT6963ImgGetRoutine(CompilerState& st);
void EmitT6963ImgSetRoutine(CompilerState& st);
void EmitT6963ImgArraySetRoutine(CompilerState& st);

// The byte columns of the panel: its width in pixels over 8, or over 6 with the module's
// "fs" wiring 1, a part column counted whole.
int T6963ByteColumns(const CompilerState& st);

}  // namespace qbc
