#include "compiler/library/hardware/routine_interrupt.h"

#include "compiler/base/decl_text.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

void EmitInterruptOn(CompilerState& st, const std::string& mask, const std::string& enable) {
  st.out.Instr(Sep::kWide, "in", "r25,SREG");
  st.out.Instr(Sep::kNarrow, "push", "r25");
  EmitRegisterRead(st, UpperText(mask), "r25", Reach::kInOut);
  st.out.Instr(Sep::kNarrow, "push", "r25");
  st.out.Instr(Sep::kWide, "ori", "r25,(1<<" + enable + ")");
  EmitRegisterWrite(st, UpperText(mask), "r25", Reach::kInOut);
  st.out.Instr("sei");
}

void EmitInterruptRestore(CompilerState& st, const std::string& mask) {
  st.out.Instr(Sep::kWide, "pop", "r25");
  EmitRegisterWrite(st, UpperText(mask), "r25", Reach::kInOut);
  st.out.Instr(Sep::kWide, "pop", "r25");
  st.out.Instr(Sep::kWide, "out", "SREG,r25");
}

}  // namespace qbc
