#pragma once
// Interrupt vectors by name: the one lookup shared by the handler declarations and the
// handler definitions, so both agree on the vector (and so on the "IntN" label).
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The vector index (1 .. the device's vector count) whose device-file key, cut before its
// "addr", equals `name` in upper case (so int0 finds INT0addr); 0 when none matches.
int FindInterruptVector(CompilerState& st, std::string_view name);

// Whether the device file has the vector `name` (its key cut before "addr", any letter
// case), also one past the vectors the table holds (the m2560's OVF5 and its UARTs 2
// and 3).
bool HasInterruptVector(const CompilerState& st, std::string_view name);

}  // namespace qbc
