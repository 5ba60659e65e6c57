#pragma once
// Stores the working registers into a global variable by its type.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// `reg` names where the low byte is: "zl" (working registers), "r24" (second-operand
// registers) or "r22" (an integer left by a float conversion). A bit variable takes T.
// The value is of `type` (0: OperandType), the variable's type.
void EmitStoreVariable(CompilerState& st, const std::string& name, const std::string& reg, std::uint8_t type);

// Whether a statement may change global `v` (a whole variable, an element or a bit of it).
// A flash table may not: its elements lie in the program memory, and a store would reach
// the SRAM cell or I/O register at the table's address. That is reported at the current
// token ("Flash table T can not be changed!"), which stays, and the result is false. (The
// table's list of values, T = 1, 2, ..., is no change: it writes the table.)
bool WritableGlobal(CompilerState& st, const GlobalVarRecord& v);

}  // namespace qbc
