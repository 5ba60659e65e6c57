#include "compiler/codegen/handlers/handler_text_swap.h"

#include <string>

#include "compiler/codegen/handlers/handler_areas.h"
#include "compiler/frontend/handler_cells.h"

namespace qbc {

// Every register it uses is kept: the handler calls it before its own saves are undone
// and after they are made, whatever its save level. The flags change; the handler
// restores SREG after it.
void EmitHandlerTextSwapRoutine(CompilerState& st) {
  const std::string start = HandlerTextStart(st);
  const std::string keep = kHandlerTextKeep;
  st.out.Line();
  st.out.Text(R"(
;////// Handler text buffers //////////////
_IsSw:\tpush\tr23
\t\tpush\tr24
\t\tpush\tr25
\t\tpush\txl
\t\tpush\txh
\t\tpush\tzl
\t\tpush\tzh)");
  st.out.Instr(Sep::kWide, "ldi", "zl,byte1(" + start + ")");
  st.out.Instr(Sep::kWide, "ldi", "zh,byte2(" + start + ")");
  st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + keep + ")");
  st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + keep + ")");
  st.out.Instr(Sep::kWide, "ldi", "r23," + std::to_string(st.Cells<HandlerCells>().TextKeepBytes));
  st.out.Text(R"(
_IsSw1:\tld\t\tr24,Z
\t\tld\t\tr25,X
\t\tst\t\tX+,r24
\t\tst\t\tZ+,r25
\t\tdec\t\tr23
\t\tbrne\t_IsSw1
\t\tpop\t\tzh
\t\tpop\t\tzl
\t\tpop\t\txh
\t\tpop\t\txl
\t\tpop\t\tr25
\t\tpop\t\tr24
\t\tpop\t\tr23
\t\tret)");
}

}  // namespace qbc
