#pragma once
// Int0 .. Int7 and AC followed by a sense word: what triggers the external interrupt or
// the analogue comparator interrupt.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns past the sense word.
void CompileIntSenseStatement(CompilerState& st);
void CompileAcSenseStatement(CompilerState& st);

}  // namespace qbc
