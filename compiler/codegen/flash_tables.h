#pragma once
// Flash tables: globals of storage class "flash" whose elements lie in program memory
// under the variable's label (byte address = label * 2), read through Z (and RAMPZ).
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Writes the current element's text (no line end; a string literal ends the line) and
// steps past it, staying on the last element of the line.
void EmitTableElement(CompilerState& st, std::uint8_t elementType);
// The index is in zl, zh (r18 with RAMPZ); reads the element (OperandType = element type)
// into the working registers, as `wanted`.
void EmitTableRead(CompilerState& st, const std::string& name, std::uint8_t wanted);
// The same for a table of `elementType` whose address a procedure holds in local
// `localIndex` (1-based).
void EmitTableReadAtIndex(CompilerState& st, const std::string& name, int localIndex, std::uint8_t elementType);
// find16(value, table) and find8(value, table): the 1-based index of the first equal
// element, 0 when none.
std::uint8_t CompileFind16Function(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileFind8Function(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
