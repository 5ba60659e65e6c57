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
void CompileCrc8Function(CompilerState& st);
void CompileVarPtrFunction(CompilerState& st);

}  // namespace qbc
