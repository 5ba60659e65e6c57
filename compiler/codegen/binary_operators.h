#pragma once
// The operand stack and the binary operators. Each operator pops the left operand into the
// second-operand registers (unless SkipOperandPush) and leaves the result in the working
// registers; the wanted type (0 or 6: OperandType) chooses the width.
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

void EmitPushOperand(CompilerState& st, std::uint8_t wanted);
// Pushes the working registers of `type` onto the software stack Y (an argument).
void EmitPushArgToSoftStack(CompilerState& st, std::uint8_t type);
void EmitAddOperator(CompilerState& st, std::uint8_t wanted);
void EmitSubOperator(CompilerState& st, std::uint8_t wanted);
void EmitMulOperator(CompilerState& st, std::uint8_t wanted);
void EmitDivOperator(CompilerState& st, std::uint8_t wanted);
void EmitAndOperator(CompilerState& st, std::uint8_t wanted);
void EmitOrOperator(CompilerState& st, std::uint8_t wanted);
void EmitXorOperator(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
