#pragma once
// Assignment of a string expression to a string variable or to an element of a string
// array: terms joined by "+" (string variables and constants, numbers as decimal text,
// floats as text, Chr characters, Left/Right/Mid substrings, LCase/UCase copies) are
// copied one after the other into the target through X.
//
// Run-time registers while the terms are stored: X = the next byte of the target (each
// store leaves it on the terminator it wrote, so the next term overwrites it), r20 = what
// is left of the target's capacity (its size at the start, counted down by every store),
// so the text never passes the target's declared length. A term whose code may change X
// or r20 (anything but a literal or a string variable) is compiled between a push of
// X and r20 and their pops.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Entered on the "=" after a string variable `name` of `size` bytes (declared length +
// 1; 0 stands for 256), or after a whole byte or word array given a text; `targetType` is
// the variable's type (the terms are loaded as it). Leaves TokenIndex after the expression.
void CompileStringAssignment(CompilerState& st, const std::string& name, std::uint8_t size, std::uint8_t targetType);

// Entered on the "=" after the index of an element of string array `name` (index value in
// zl, or zh:zl above 255 bytes of RAM); `elementSize` is the bytes of one element.
void CompileStringArrayAssignment(CompilerState& st, const std::string& name, std::uint8_t elementSize);

// Entered on the "=" after a string local or parameter of the current procedure
// (`localIndex`: 1-based in LocalVars); the text goes where its frame slot points, at most
// its declared length.
void CompileStringFrameAssignment(CompilerState& st, int localIndex);

// The store of the term just compiled (OperandType says what it left), into the plain
// target (X loaded at the first store) or the array element (X already set).
void CompileStringTerm(CompilerState& st, const std::string& name, std::uint8_t size, bool afterPlus);
void CompileStringArrayTerm(CompilerState& st, const std::string& name, std::uint8_t size, bool afterPlus);

}  // namespace qbc
