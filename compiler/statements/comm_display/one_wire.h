#pragma once
// The 1-Wire words (1wreset, 1wwrite, 1wread), as statements and inside expressions.
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

// Compiles the word at the current token; inside an expression its value is wanted as
// `wanted` (a statement passes 0). Returns the type the expression goes on in.
std::uint8_t Compile1WireStatement(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
