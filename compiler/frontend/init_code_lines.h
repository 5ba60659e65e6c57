#pragma once
// The start-up lines that "$" lines collect for the program head.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Appends one instruction line to the start-up lines of the program head. A 34th line is
// beyond the table: a compile error naming the limit that ends the compilation.
void AppendInitCodeLine(CompilerState& st, const std::string& line);

}  // namespace qbc
