#pragma once
// The work areas an interrupt handler gets of its own, so that it never overwrites those
// of the code it interrupted, and their place in SRAM:
// - the handlers' software stack _IsY (frames, pushed values, scratch copies and number
//   text of the code a handler runs, and the interrupted code's cells a handler moves
//   there), reserved after the code once its size is known;
// - _IsDp, the count of the handlers running on that stack, among the head's cells (away
//   from the main program's stack, which lies above the data);
// - the copies of the string arguments of the calls a handler makes (_IsArg).
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Bytes of the handlers' string argument area as the program head knows them: 0 unless a
// handler is declared, else the lengths of every declared string parameter together.
int HandlerStringArgBytes(const CompilerState& st);

// What the code a handler runs may need below its Y beyond the frames and the cells it
// keeps there: two scratch copies of the longest string where a handler or a procedure
// makes such copies (a string compare holds both operands below Y), the text of a number
// conversion and the values an expression pushes.
int HandlerScratchBytes(const CompilerState& st);

// The data segment cells of the program head: the string argument area and the count.
void ReserveHandlerCells(CompilerState& st);
// The string argument area's line, once every call is compiled: the lengths of the
// string parameters together, or more where a chain of calls from a handler holds more.
void FinishHandlerArgArea(CompilerState& st);
// Start-up: SRAM holds no known value at reset, so no handler is running yet.
void EmitHandlerResetLines(CompilerState& st);
// The handlers' software stack after the code.
void EmitHandlerStackArea(CompilerState& st, int bytes);

// The argument area of a call made in a procedure without string parameters of its own,
// which runs for the main program or for a handler: X holds the handlers' area (loaded
// before); this jumps to `done` when a handler is running, else the main area's load
// follows. r20 is free: the copy's length goes there next.
void EmitJumpIfHandlerRunning(CompilerState& st, const std::string& done);

}  // namespace qbc
