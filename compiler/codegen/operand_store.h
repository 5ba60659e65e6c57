#pragma once
// Stores the working registers into a global variable by its type.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// `reg` names where the low byte is: "zl" (working registers), "r24" (second-operand
// registers) or "r22" (an integer left by a float conversion). A bit variable takes T.
void EmitStoreVariable(CompilerState& st, const std::string& name, const std::string& reg);

}  // namespace qbc
