#pragma once
// Input and InputBin on the hardware UARTs 0 to 3.
//
//   Input ["prompt";] target [, ["prompt";] target ...]
//        a line of text per target: converted to a number (byte, integer, word) or stored
//        as the string's text (global or local string)
//   InputBin ["prompt";] target [;] ... | InputBin var, count
//        raw bytes: one per byte, two per integer or word and four per long (most
//        significant first), a string up to a 0 byte or its length, `count` bytes to
//        var's address on
// Targets are global variables, locals of the current procedure and elements of byte,
// integer and word arrays; any other target is a compile error.
#include "compiler/base/state.h"

namespace qbc {

// Dispatch rows "input", "input0" .. "input3" and "inputbin", "inputbin0" .. "inputbin3".
void CompileInputStatement(CompilerState& st, int uart);
void CompileInputBinStatement(CompilerState& st, int uart);

}  // namespace qbc
