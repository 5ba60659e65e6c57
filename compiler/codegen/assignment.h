#pragma once
// The assignment statement "target = expression" and its list forms.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Entered on the target name (declared in seams.h too); returns after the right side.
void CompileAssignment(CompilerState& st);
// name = ("a", "b") / name = ("x"): entered on "=", returns after ")". The values are
// wanted as `wanted`, the variable's type.
void CompileStringListAssignment(CompilerState& st, const std::string& name, std::uint8_t elementSize,
                                 std::uint8_t elementCount, std::uint8_t wanted);
// arr = (1, 2, 3): one byte per value through X; entered on "=", returns after ")".
void CompileArrayListAssignment(CompilerState& st, const std::string& name, std::uint8_t wanted);

}  // namespace qbc
