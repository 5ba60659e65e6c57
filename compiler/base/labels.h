#pragma once
// Generated labels: "L" and four digits, numbered through the whole compilation.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The next generated label: L0000, L0001, ...; after L9999 the text starts again at L0000
// while LabelCounter goes on (passing 32767 is a run-time failure of the compiler).
std::string NewLabel(CompilerState& st);

// Writes the label followed by ":" as one line, in column 0.
void EmitLabel(CompilerState& st, std::string_view label);

}  // namespace qbc
