#pragma once
// The operand stack and the binary operators. Each operator pops the left operand into the
// second-operand registers (unless SkipOperandPush) and leaves the result in the working
// registers; WantedType (0 or 6: OperandType) chooses the width.
#include "compiler/base/state.h"

namespace qbc {

void EmitPushOperand(CompilerState& st);
void EmitPushArgToSoftStack(CompilerState& st);
void EmitAddOperator(CompilerState& st);
void EmitSubOperator(CompilerState& st);
void EmitMulOperator(CompilerState& st);
void EmitDivOperator(CompilerState& st);
void EmitAndOperator(CompilerState& st);
void EmitOrOperator(CompilerState& st);
void EmitXorOperator(CompilerState& st);

}  // namespace qbc
