#include "compiler/library/comm/block_routines.h"

namespace qbc {

void EmitSendBlockRoutine(CompilerState& st, std::string_view header, std::string_view label, std::string_view loop,
                          std::string_view byteRoutine) {
  st.out.Line();
  st.out.Line(header);
  st.out.Instr(label, Sep::kWide, "mov", "r25,zl");
  // a count of 0 sends nothing
  st.out.Instr(Sep::kWide, "tst", "r25");
  st.out.Instr(Sep::kNarrow, "brne", loop);
  st.out.Instr("ret");
  st.out.Instr(loop, Sep::kWide, "ld", "zl,X+");
  st.out.Instr(Sep::kNarrow, "rcall", byteRoutine);
  st.out.Instr(Sep::kWide, "dec", "r25");
  st.out.Instr(Sep::kNarrow, "brne", loop);
  st.out.Instr("ret");
}

}  // namespace qbc
