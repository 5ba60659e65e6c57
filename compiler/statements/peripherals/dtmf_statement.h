#pragma once
// DTMF(n): plays the tone pair of key code n (0 to 15) on Timer1's OC1A pin for the
// $dtmf time.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; returns after the ")".
void CompileDtmfStatement(CompilerState& st);

}  // namespace qbc
