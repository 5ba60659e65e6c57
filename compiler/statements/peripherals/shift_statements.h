#pragma once
// ShiftOut and ShiftIn: bytes clocked out and in on the $shiftout and $shiftin pins.
#include "compiler/base/state.h"

namespace qbc {

// ShiftOut value { ";" value } or ShiftOut name "," count. Integers and words go out low
// byte first, longs lowest byte first.
void CompileShiftOutStatement(CompilerState& st);

// ShiftIn in an expression: one byte, or as many as the wanted type holds, the first
// received the most significant.
std::uint8_t CompileShiftInFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
