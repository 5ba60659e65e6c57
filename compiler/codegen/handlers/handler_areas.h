#pragma once
// The work areas an interrupt handler gets of its own, so that it never overwrites those
// of the code it interrupted, and their place in SRAM:
// - the handlers' software stack _IsY (frames, pushed values, scratch copies and number
//   text of the code a handler runs), with the count of the handlers running on it, _IsDp,
//   right above it;
// - the copies of the string arguments of the calls a handler makes (_IsArg), with _IsOn,
//   set while a handler runs, by which a procedure called from either finds its area;
// - the place (_IsTxt) where the float and formatted-number text buffers of the
//   interrupted code are kept while a handler runs.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Bytes of the handlers' string argument area: 0 unless a handler is declared, else the
// lengths of every declared string parameter together (a chain of calls without
// recursion never needs more).
int HandlerStringArgBytes(const CompilerState& st);

// Bytes of the text buffers a handler keeps aside (_s2tmp and _s1tmp, which lie one after
// the other), and the label of the first; 0 unless a handler is declared.
int HandlerTextBytes(const CompilerState& st);
std::string HandlerTextStart(const CompilerState& st);

// Bytes of _IsY, once every procedure is compiled; 0 unless a handler is declared.
int HandlerStackBytes(const CompilerState& st);

// The data segment cells of the program head: the text keeping place, the string argument
// area and its running flag, as far as the program needs them.
void ReserveHandlerCells(CompilerState& st);
// Start-up: SRAM holds no known value at reset, so no handler is running yet.
void EmitHandlerResetLines(CompilerState& st);
// The handlers' software stack, reserved once every procedure is compiled (its size
// depends on their frames); refused when it does not fit the SRAM.
void EmitHandlerStackArea(CompilerState& st);

// The argument area of a call made in a procedure without string parameters of its own,
// which runs for the main program or for a handler: X holds the handlers' area (loaded
// before); this jumps to `done` when a handler is running, else the main area's load
// follows. r20 is free: the copy's length goes there next.
void EmitJumpIfHandlerRunning(CompilerState& st, const std::string& done);

}  // namespace qbc
