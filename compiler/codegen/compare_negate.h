#pragma once
// Comparison of the saved left operand with the working value, negation, logical not, and
// the jump lines of the block statements.
#include <cstdint>
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// Pops the left operand (unless SkipOperandPush) and compares; strings call _StrCmp or
// _StCCp; a float only pops into r18..r21 (the caller writes the float compare).
// `wanted` is the type compared (0: none).
void EmitCompareOperator(CompilerState& st, std::uint8_t wanted);
// Two's complement of the working value (unary minus), of `wanted` (0: OperandType).
void EmitNegate(CompilerState& st, std::uint8_t wanted);
// Logical not: a bit is inverted (T and bit 0 of zl), integers get their one's
// complement, a float its sign flipped; of `wanted` (0: OperandType).
void EmitNegateWithBit(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
