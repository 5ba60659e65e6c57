#pragma once
// Sound: a square wave on the $sound pin.
#include "compiler/base/state.h"

namespace qbc {

// Sound half, groups: `half` is each half period in units of the microsecond wait, `groups`
// the number of ten-period groups. Entered on the keyword; returns after the second value.
void CompileSoundStatement(CompilerState& st);

}  // namespace qbc
