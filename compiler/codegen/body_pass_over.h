#pragma once
// The main code passes over every Sub, Function and interrupt body and every flash table's
// values it reaches: they may stand anywhere outside the blocks, also before the
// statements that call or read them, and the code before them would otherwise run on into
// them (and return from nowhere at a "ret", or run the table's values as instructions).
//
// Where the code written before a body can run on into it, one jump goes past the body and
// past every body right after it, to the first statement that is no body (or to where the
// file's statements end). After a jump, a return or End nothing runs on, and nothing is
// written.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

struct PassOverCells {
  std::string Label;  // where the pending jump goes; empty when none is pending
  int Depth = 0;      // the statement loop (BlockNestingDepth) whose bodies it passes
};

// At a procedure definition, before its entry label, and before a flash table's values.
void PassOverBody(CompilerState& st);

// Before each statement of a statement loop: unless the statement at the current token
// defines the next procedure or writes a table's values, the label of this loop's pending
// jump.
void EndPassOverBefore(CompilerState& st);

// Where a statement loop ends: the label of its pending jump.
void EndPassOver(CompilerState& st);

// Whether the code at the end of `text` (assembler lines) can run on past its last line:
// not when that line is an unconditional jump, "ret" or "reti" that no skip before it can
// pass, that no label follows and that no relative branch ("PC+n") before it jumps past
// (looked for back to the nearest directive or data line). Data after the last line (with
// its label) is looked through: it was passed over where the code ran on into it.
bool CodeRunsOn(const std::string& text);

}  // namespace qbc
