#pragma once
// The link step: flash table check, string constant pool, library routines in link order,
// variable summaries and the success line.
#include "compiler/base/state.h"

namespace qbc {

void EmitLibraryAndSummary(CompilerState& st);

}  // namespace qbc
