#include "compiler/statements/peripherals/block_operands.h"

#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/statement_kit.h"

namespace qbc {

bool IsBlockForm(CompilerState& st) { return st.TokText(1) == ","; }

void EmitBlockOperands(CompilerState& st) {
  EmitLoadVarAddress(st, "x");
  kit::ExpectComma(st);
  st.out.Instr(Sep::kNarrow, "push", "xl");
  st.out.Instr(Sep::kNarrow, "push", "xh");
  kit::LoadValue(st, kTypeByte);
  st.out.Instr(Sep::kNarrow, "pop", "xh");
  st.out.Instr(Sep::kNarrow, "pop", "xl");
}

}  // namespace qbc
