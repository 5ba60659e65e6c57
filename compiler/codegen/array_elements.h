#pragma once
// Elements of global SRAM arrays, addressed through X. Every caller saves the index on the
// hardware stack in one order: on devices with more than 256 bytes of RAM "push zh" then
// "push zl" (the emitters pop r24 = low byte, then r25 = high byte); on smaller devices
// "push zl" alone. Elements are scaled by their size: byte 1, integer/word 2, long/float 4.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// With the current token on an array's index: an index that is a constant alone between
// the parentheses (a number, &h/&b or a named constant) must name one of the elements the
// array was declared with, 0 to count - 1; one outside them is reported (the parse stays
// where it is).
void CheckConstantArrayIndex(CompilerState& st, const GlobalVarRecord& v);
// Pushes the index in the working registers (zl; zh:zl on larger devices) in the order the
// element emitters pop it.
void EmitPushArrayIndex(CompilerState& st);
// Loads element (index popped) of array `name` (element type CurrentVarType) converted to
// `wanted` (0: OperandType) into the working registers.
void EmitLoadArrayElement(CompilerState& st, const std::string& name, std::uint8_t wanted);
// Stores the working registers (a value of `elementType`) into the element whose index
// the assignment pushed (ArrayIndexType: its type).
void EmitStoreArrayElement(CompilerState& st, const std::string& name, std::uint8_t elementType);
// Z (zl on small devices) += the array's address; the byte offset is in zl (zh).
void EmitArrayElementAddress(CompilerState& st, const std::string& name);

}  // namespace qbc
