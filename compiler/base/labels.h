#pragma once
// Generated labels: "L" and at least four digits, numbered through the whole compilation.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The next generated label: L0000, L0001, ... L9999, L10000, ...: numbered through the
// whole compilation, never repeated.
std::string NewLabel(CompilerState& st);

// Writes the label followed by ":" as one line, in column 0.
void EmitLabel(CompilerState& st, std::string_view label);

}  // namespace qbc
