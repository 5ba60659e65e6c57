#pragma once
// Single bits and device registers as operands and targets. A bit value travels in the T
// flag; wanted as a number it becomes 0 or 1 in zl (r24 with SkipOperandPush). Global bit
// variables are the bits of r3 (numbers 0 to 7) and r4 (8 to 15).
//
// Registers are reached in the forms io_access chooses by their device-file value.
#include <cstdint>
#include <functional>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// The loads below read their operand as `wanted` (0: OperandType; for a port bit, the bit).
void EmitLoadBitVar(CompilerState& st, const std::string& name, std::uint8_t wanted);
// Writes the load of byte `byteIndex` of a variable into register `reg`.
using VarByteLoader = std::function<void(const std::string& reg, int byteIndex)>;
// Bit `bit` (a constant number) of a variable of `bytes` bytes into T; wanted as a number
// also 0 or 1 in the wanted type's registers. A number beyond the variable's bits is
// reported.
void EmitLoadBitOf(CompilerState& st, int bytes, const std::string& bit, const VarByteLoader& loadByte,
                   std::uint8_t wanted);
// Bit `bit` of a global variable: 0..7 of a byte, 0..15 of a word or integer, 0..31 of a
// long (bit n is bit n mod 8 of byte n / 8).
void EmitLoadVarBit(CompilerState& st, const std::string& name, const std::string& bit, std::uint8_t wanted);
void EmitLoadIoRegister(CompilerState& st, const std::string& name, std::uint8_t wanted);
void EmitLoadPortBit(CompilerState& st, const std::string& name, const std::string& bit, std::uint8_t wanted);
// Copies T into bit 0 of zl (r24) when a logic operator takes the bit.
void EmitBitLogic(CompilerState& st);
void EmitStoreIoRegister(CompilerState& st, const std::string& name);
// Stores T into one bit of a register.
void EmitStoreBit(CompilerState& st, const std::string& name, const std::string& bit);
// Stores T into one bit of a global variable (lds / bld / sts), numbered as for the load.
void EmitStoreVarBit(CompilerState& st, const std::string& name, const std::string& bit);

// For a bit number held in zl at run time: X := the address of the byte of a variable that
// holds the bit, r23 := the bit's mask in that byte (zl is used up). The variable is the
// global `label`, or the frame variable at Y + `frameDisplacement` when `label` is empty;
// `bytes` is its size, within which the number is kept (a word takes bits 0..15).
void EmitVarBitPointer(CompilerState& st, const std::string& label, int frameDisplacement, int bytes);

}  // namespace qbc
