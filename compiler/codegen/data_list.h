#pragma once
// Constant value lists written as .db / .dw lines (flash tables, EEPROM data, LCD rows).
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Entered on the first value; returns one token after the last. A source line that ends
// with "," continues the list on the next line (one output line per source line). The
// result is the number of values written.
int EmitDataList(CompilerState& st, const std::string& label, std::uint8_t& elementType);

}  // namespace qbc
