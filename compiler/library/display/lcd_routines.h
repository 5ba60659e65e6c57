#pragma once
// The character LCD driver routines the link step appends when $lcd configured a display:
// LcdIni (initialisation), _LCtr/_Lch (a command or a character byte), _LEN (the enable
// pulse, pin wiring only), and on demand the text, number and hex output and the copy of
// user characters into the character generator.
#include "compiler/base/state.h"

namespace qbc {

void EmitLcdInitRoutine(CompilerState& st);
void EmitLcdWriteRoutines(CompilerState& st);
void EmitLcdEnRoutine(CompilerState& st);

void EmitLcdByteWordRoutine(CompilerState& st);
void EmitLcdStringRoutine(CompilerState& st);
void EmitLcdStringConstRoutine(CompilerState& st);
void EmitLcdHexRoutine(CompilerState& st);
void EmitCopyLcdCharsRoutine(CompilerState& st);

}  // namespace qbc
