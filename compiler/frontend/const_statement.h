#pragma once
// The Const statement: named constants folded at compile time.
#include "compiler/base/state.h"

namespace qbc {

// Entered on "const"; defines every constant of the list. Writes no output line.
void CompileConstStatement(CompilerState& st);
// Entered on the constant's name; returns on the "," or "<EOL>" that ends a numeric
// definition, or on the token after the literal of a string definition.
void ParseConstDefinition(CompilerState& st);

}  // namespace qbc
