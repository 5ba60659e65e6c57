#pragma once
// The display drivers' routines are written with the short port forms (in/out, sbi/cbi).
// A port beyond their reach takes io_access's longer forms: lds/sts, and for a single line
// the read-modify-write through r24 that keeps the status flags (Flags::kKeep): the
// routines carry flags across these lines (a loop's count tested after the clock line
// falls).
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// `text` with real tabs, one instruction per line ("label:\tmnemonic\t\toperands" or
// "\t\tmnemonic..."); lines on ports the short forms reach come back unchanged.
std::string WithReachablePortForms(CompilerState& st, const std::string& text);

}  // namespace qbc
