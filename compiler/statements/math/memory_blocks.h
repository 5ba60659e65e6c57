#pragma once
// Work on blocks of SRAM: MemFill, MemLoad and MemCopy, Sort of a byte array, the CRC-8 of
// a block, and VarPtr, the SRAM address of a variable.
#include "compiler/base/state.h"

namespace qbc {

// Entered on the keyword; each leaves the token index after the closing ")".
void CompileMemFillStatement(CompilerState& st);
void CompileMemLoadStatement(CompilerState& st);
void CompileMemCopyStatement(CompilerState& st);
void CompileSortStatement(CompilerState& st);
std::uint8_t CompileCrc8Function(CompilerState& st, std::uint8_t wanted);
std::uint8_t CompileVarPtrFunction(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
