#pragma once
// Parameters and locals of procedures: they live in the procedure's frame on the software
// stack Y and are read with ldd and written with std at a displacement from Y.
//
// A variable's first byte lies at Y + FrameSize - FrameOffset; while the arguments of a
// call are being pushed (ArgStackOffset bytes so far) reads add those bytes. ldd/std reach
// 63 bytes: a variable beyond that is a compile error.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Loads local record localIndex - 1 (the value FindLocalVar returns) into the working
// registers of `wanted` (0 or 6: the OperandType the caller set; the second-operand
// registers with SkipOperandPush), converted from its own type; OperandType becomes its
// type (word for a flash item's address).
void EmitLoadFrameVar(CompilerState& st, int localIndex, std::uint8_t wanted);
// Bit `bit` (a constant number) of a numeric frame variable into T, as EmitLoadVarBit
// reads a global's: 0..7 of a byte, 0..15 of a word or integer, 0..31 of a long.
void EmitLoadFrameVarBit(CompilerState& st, int localIndex, const std::string& bit, std::uint8_t wanted);
// Stores the value (of the target's `type`) into the frame variable `name`; a bit or byte
// value is taken from `reg`, a float from r22..r25, a string from the text whose address
// is in Z (copied into the text the frame slot points at).
void EmitStoreFrameVar(CompilerState& st, const std::string& name, const std::string& reg, std::uint8_t type);
// T into bit `bit` of the byte frame variable `name`.
void EmitStoreFrameVarBit(CompilerState& st, const std::string& name, const std::string& bit);

// Frame bytes of a parameter or local of `type` (strings and flash items: a 2-byte
// address; bit: one byte, as the call pushes it).
int FrameSlotBytes(const LocalVarRecord& v);
// A frame variable whose bits can be read and written: bit, byte, integer, word or long
// (not a float, a string or a flash item's address).
bool HasNumberBits(const LocalVarRecord& v);

// The Y displacement at which the current procedure reads frame variable `v` now (the
// argument bytes pushed so far included).
int FrameReadDisplacement(CompilerState& st, const LocalVarRecord& v);

}  // namespace qbc
