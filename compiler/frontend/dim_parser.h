#pragma once
// The Dim parser the first pass shares with the Dim statement of the code pass, and the
// type clause of variables, parameters and locals.
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

// Entered on "dim"; declares every variable of the list. In the code pass it also writes
// each new variable's data-segment block in place.
void ParseDimList(CompilerState& st);
void ParseDimVariable(CompilerState& st);

// "as" ["xram" | "flash"] type ["at" address]: returns the type code (0 for an unknown
// type word). Also reads the type clause of parameters and locals.
std::uint8_t ParseVarType(CompilerState& st);
// The element size of a type just read; for an SRAM string reads "*" and the length, then
// an optional "at" address.
std::uint8_t ParseAtAddress(CompilerState& st, std::uint8_t type);

// Where a type clause stores what it reads: the record of the variable being declared, or
// nothing (a duplicate declaration, whose tokens are read but whose records stay as they
// are). Used by the Dim and the parameter parsers.
struct TypeClauseTarget {
  GlobalVarRecord* global = nullptr;
  LocalVarRecord* local = nullptr;
};
std::uint8_t ParseVarTypeInto(CompilerState& st, TypeClauseTarget target);
// Returns the element size without narrowing it (a string longer than 254 characters gives
// more than 255, which the caller reports).
int ParseAtAddressInto(CompilerState& st, std::uint8_t type, TypeClauseTarget target);

}  // namespace qbc
