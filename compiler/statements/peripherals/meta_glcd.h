#pragma once
// The graphic display "$" lines: $glcd (controller, ports, sizes) and $gctrl (the
// controller's control lines on pins of the control port). Declared in seams.h as well.
#include "compiler/base/state.h"

namespace qbc {

// Entered on "glcd" or "gctrl".
void ParseGraphicLcdMetaStatement(CompilerState& st);

}  // namespace qbc
