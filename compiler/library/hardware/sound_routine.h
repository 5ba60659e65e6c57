#pragma once
// The square-wave tone routine _Sound of the Sound statement and the key beep.
#include "compiler/base/state.h"

namespace qbc {

// _Sound: zh = half period (units of _Wus, 0: 256), zl = ten-period groups (0: 256). Toggles the
// $sound pin and leaves it at its idle level.
void EmitSoundRoutine(CompilerState& st);

}  // namespace qbc
