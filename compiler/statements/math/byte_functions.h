#pragma once
// Bcd, FromBcd, MakeWord, Msb and Hex: byte and word conversions inside expressions.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after ")".
void CompileBcdFunction(CompilerState& st);
void CompileFromBcdFunction(CompilerState& st);
void CompileMakeWordFunction(CompilerState& st);
void CompileMsbFunction(CompilerState& st);
void CompileHexFunction(CompilerState& st);

}  // namespace qbc
