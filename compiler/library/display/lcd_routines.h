#pragma once
// The character LCD driver routines the link step appends when $lcd configured a display:
// LcdIni (initialisation), _LCtr/_Lch (a command or a character byte), _LEN (the enable
// pulse, pin wiring only), the choice of controller on a display with two enable lines,
// and on demand the text, number and hex output and the copy of user characters into the
// character generator.
#include "compiler/base/state.h"

namespace qbc {

void EmitLcdInitRoutine(CompilerState& st);
void EmitLcdWriteRoutines(CompilerState& st);
void EmitLcdEnRoutine(CompilerState& st);
// Two controllers ($lcd with e1 and e2): _LE1, _LE2, _LE12, _LDc and their SRAM cells.
void EmitLcdEnableSelectRoutine(CompilerState& st);

void EmitLcdByteWordRoutine(CompilerState& st);
void EmitLcdStringRoutine(CompilerState& st);
void EmitLcdStringConstRoutine(CompilerState& st);
void EmitLcdHexRoutine(CompilerState& st);
void EmitCopyLcdCharsRoutine(CompilerState& st);

}  // namespace qbc
