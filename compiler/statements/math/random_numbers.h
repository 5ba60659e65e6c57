#pragma once
// Rnd and Randomize: pseudo-random bytes from a one-byte seed "_rnd". Each Rnd replaces the
// seed by the CRC-8 of the SRAM byte the seed chooses and returns it.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after its ")".
std::uint8_t CompileRndFunction(CompilerState& st, std::uint8_t wanted);
void CompileRandomizeStatement(CompilerState& st);

}  // namespace qbc
