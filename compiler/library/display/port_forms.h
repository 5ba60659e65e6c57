#pragma once
// The display drivers' routines are written with the short port forms (in/out, sbi/cbi).
// A port in the upper I/O space (from 0x20) or the extended I/O space (from 0x40, written
// at its data address in the device file) needs the longer ones: lds/sts, and a
// read-modify-write of the port through r24 for a single line, r24 and the status flags
// kept on the stack: the routines carry flags across these lines (a loop's count tested
// after the clock line falls).
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// `text` with real tabs, one instruction per line ("label:\tmnemonic\t\toperands" or
// "\t\tmnemonic..."); lines on ports the short forms reach come back unchanged.
std::string WithReachablePortForms(CompilerState& st, const std::string& text);

}  // namespace qbc
