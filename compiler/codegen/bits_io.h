#pragma once
// Single bits and device registers as operands and targets. A bit value travels in the T
// flag; wanted as a number it becomes 0 or 1 in zl (r24 with SkipOperandPush). Global bit
// variables are the bits of r3 (numbers 0 to 7) and r4 (8 to 15).
//
// Registers are reached by their device-file value: sbi/cbi below 0x20, in/out below 0x40,
// lds/sts for the extended I/O space.
#include <string>

#include "compiler/frontend/state.h"

namespace qbc {

void EmitLoadBitVar(CompilerState& st, const std::string& name);
// Bit `bit` (0..15; 8..15 are bits of the second byte) of a global variable.
void EmitLoadVarBit(CompilerState& st, const std::string& name, const std::string& bit);
void EmitLoadIoRegister(CompilerState& st, const std::string& name);
void EmitLoadPortBit(CompilerState& st, const std::string& name, const std::string& bit);
// Copies T into bit 0 of zl (r24) when a logic operator takes the bit.
void EmitBitLogic(CompilerState& st);
void EmitStoreIoRegister(CompilerState& st, const std::string& name);
// Stores T into one bit of a register.
void EmitStoreBit(CompilerState& st, const std::string& name, const std::string& bit);
// Stores T into one bit of a global variable (lds / bld / sts).
void EmitStoreVarBit(CompilerState& st, const std::string& name, const std::string& bit);

}  // namespace qbc
