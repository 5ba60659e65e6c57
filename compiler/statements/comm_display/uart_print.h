#pragma once
// Print and PrintBin on the hardware UARTs 0 to 3.
//
//   Print [item {; | nothing} item ...]     numbers as decimal text, strings, string
//        constants, floats (UART 0), Hex(x), Chr(x); a line end after every item that is
//        not followed by ";" (and after an empty list)
//   PrintBin item [;] item ... | PrintBin var, count
//        bytes as they are: a byte as one byte, an integer or word as two (low first),
//        `count` bytes of memory from var's address on
#include "compiler/base/state.h"

namespace qbc {

// Dispatch rows "print", "print0" .. "print3" and "printbin", "printbin0" .. "printbin3".
void CompilePrintStatement(CompilerState& st, int uart);
void CompilePrintBinStatement(CompilerState& st, int uart);

// The items of a Print list from the current token on, for UART `uart`. With
// `stepOverSemicolon` off (the prompt of an Input) the ";" after an item stays current and
// ends the list. Returns with TokenIndex on the "<EOL>", ":" or ";" that ended it.
void EmitPrintItems(CompilerState& st, int uart, bool stepOverSemicolon);

// The output of the value just compiled (type: `worked`, the type its parse returned, else
// OperandType), and the line end when `newLine`.
void EmitPrintValue(CompilerState& st, int uart, bool newLine, int itemStart, std::uint8_t worked);

}  // namespace qbc
