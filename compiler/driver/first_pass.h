#pragma once
// The first pass over the declaration lines: metastatements, Dim, Declare and Const, up to
// the first statement of the program.
#include "compiler/base/state.h"

namespace qbc {

// Reads the leading declaration and metastatement lines.
void ScanDeclarations(CompilerState& st);

}  // namespace qbc
