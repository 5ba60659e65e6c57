#include "compiler/library/hardware/routine_interrupt.h"

#include "compiler/codegen/emit_lines.h"

namespace qbc {

void EmitInterruptOn(CompilerState& st, const std::string& mask, const std::string& enable) {
  st.out.Instr(Sep::kWide, "in", "r25,SREG");
  st.out.Instr(Sep::kNarrow, "push", "r25");
  EmitReadIoRegister(st, mask, "r25");
  st.out.Instr(Sep::kNarrow, "push", "r25");
  st.out.Instr(Sep::kWide, "ori", "r25,(1<<" + enable + ")");
  EmitWriteIoRegister(st, mask, "r25");
  st.out.Instr("sei");
}

void EmitInterruptRestore(CompilerState& st, const std::string& mask) {
  st.out.Instr(Sep::kWide, "pop", "r25");
  EmitWriteIoRegister(st, mask, "r25");
  st.out.Instr(Sep::kWide, "pop", "r25");
  st.out.Instr(Sep::kWide, "out", "SREG,r25");
}

}  // namespace qbc
