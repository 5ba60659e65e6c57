#pragma once
// Print # and PrintBin # on the bit-timed software UARTs Com1 to Com4. Entered on "#".
#include "compiler/base/state.h"

namespace qbc {

void CompileSoftPrintStatement(CompilerState& st);
void CompileSoftPrintBinStatement(CompilerState& st);

// The value just compiled (by its type) as text on channel `com`, without a line end.
void EmitSoftPrintValue(CompilerState& st, int com);

}  // namespace qbc
