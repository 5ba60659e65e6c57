#include "compiler/statements/peripherals/block_operands.h"

#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/statement_kit.h"

namespace qbc {

bool IsBlockForm(CompilerState& st) { return st.TokText(1) == ","; }

void CheckBlockCount(CompilerState& st) {
  const auto count = kit::ConstantArgument(st);
  // (a constant above 255 is refused by the byte load itself)
  if (count && *count < 1) ReportInPlace(st, "Must be from 1 to 255!");
}

std::uint8_t EmitBlockOperands(CompilerState& st, std::uint8_t wanted) {
  EmitLoadVarAddress(st, "x", wanted);
  kit::ExpectComma(st);
  st.out.Instr(Sep::kNarrow, "push", "xl");
  st.out.Instr(Sep::kNarrow, "push", "xh");
  CheckBlockCount(st);
  const std::uint8_t count = ParseExpression(st, kTypeByte);
  st.out.Instr(Sep::kNarrow, "pop", "xh");
  st.out.Instr(Sep::kNarrow, "pop", "xl");
  return count;
}

}  // namespace qbc
