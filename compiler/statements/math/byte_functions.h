#pragma once
// Bcd, FromBcd, MakeWord, Msb and Hex: byte and word conversions inside expressions.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after ")".
std::uint8_t CompileBcdFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileFromBcdFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileMakeWordFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileMsbFunction(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileHexFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
