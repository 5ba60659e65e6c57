#pragma once
// Graphic LCD routines shared by every controller.
#include "compiler/base/state.h"

namespace qbc {

// _Fnt: the font table's address into the cells _fntL and _fntH.
void EmitFontSelectRoutine(CompilerState& st);

}  // namespace qbc
