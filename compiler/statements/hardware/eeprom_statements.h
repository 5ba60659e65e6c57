#pragma once
// InitEE, WriteEE and ReadEE: constant bytes in the EEPROM image, and values written and
// read at run time byte after byte, lowest byte first, through _WrtEE and _RdEE.
#include "compiler/base/state.h"

namespace qbc {

// The EEPROM address is two bytes (r25:r24) on chips with more than 256 bytes of EEPROM,
// else one (r24).
inline bool WideEepromAddress(const CompilerState& st) { return st.dev.EepromEnd > 256; }

// Entered on the keyword; each leaves the token index after its last token.
void CompileInitEEStatement(CompilerState& st);
void CompileWriteEEStatement(CompilerState& st);
// The function: the value in the type the expression wants, read from the address up.
std::uint8_t CompileReadEEFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
