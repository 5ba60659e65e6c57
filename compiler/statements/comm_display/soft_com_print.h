#pragma once
// Print # and PrintBin # on the bit-timed software UARTs Com1 to Com4. Entered on "#".
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

void CompileSoftPrintStatement(CompilerState& st);
void CompileSoftPrintBinStatement(CompilerState& st);

// The value just compiled as text on channel `com`, without a line end; `worked` is the
// type its parse returned (0: its own type).
void EmitSoftPrintValue(CompilerState& st, int com, std::uint8_t worked);

}  // namespace qbc
