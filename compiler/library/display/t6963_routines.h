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

// The text layer: numbers and texts (_TBW), string variables (_Tst), string constants
// (_Tsc), hexadecimal bytes and words (_Thb, _Thw).
void EmitT6963NumbersRoutine(CompilerState& st);
void EmitT6963StringRoutine(CompilerState& st);
void EmitT6963StringConstRoutine(CompilerState& st);
void EmitT6963HexRoutine(CompilerState& st);

// The graphic text in the selected font: the glyph draw _SFnt (written with the font
// selection), characters (_TFchr), hexadecimal (_TFhw, _TFhb), texts in data memory
// (_TFBW, the number font's _TNBW) and string constants (_TFsc, _TNsc).
void EmitT6963GlyphRoutine(CompilerState& st);
void EmitT6963ChrRoutine(CompilerState& st);
void EmitT6963FontHexRoutine(CompilerState& st);
void EmitT6963GraphCharPrintRoutine(CompilerState& st);
void EmitT6963GraphNumPrintRoutine(CompilerState& st);
void EmitT6963FontStringConstRoutine(CompilerState& st);
void EmitT6963NumStringConstRoutine(CompilerState& st);

}  // namespace qbc
