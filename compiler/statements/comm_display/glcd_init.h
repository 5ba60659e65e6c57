#pragma once
// GLcdInit: the call of the configured graphic display's init routine, also written by
// the start-up code.
#include "compiler/base/state.h"

namespace qbc {

void CompileGlcdInitStatement(CompilerState& st);

}  // namespace qbc
