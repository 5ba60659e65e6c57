#pragma once
// The definition of an interrupt handler: "Interrupt" name "()" [ "," "Save" level ], the
// "local" lines, the body and "End Interrupt".
#include "compiler/base/state.h"

namespace qbc {

// Entered on "interrupt"; compiles up to and including the closing "end interrupt" line.
void CompileInterruptDefinition(CompilerState& st);

}  // namespace qbc
