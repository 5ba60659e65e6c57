// The copy of a user character's eight rows from flash into the controller's character
// generator, one byte at a time through _Lch.
#include "compiler/base/core_flash_read.h"
#include "compiler/library/display/lcd_routines.h"

namespace qbc {

// _Def takes the table's byte address in Z (and RAMPZ). The count waits on the stack while
// _Lch runs: depending on the wiring _Lch changes r20 to r25 or X, never Z.
void EmitCopyLcdCharsRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// CopyLCDChars //////////////////////");
  st.out.Instr("_Def", Sep::kWide, "ldi", "r25,0x08");
  WriteFlashReadLines(st, st.out.LabelLead("_Def1"), Sep::kNarrow, "r24", true);
  st.out.Instr(Sep::kNarrow, "push", "r25");
  // the driver may lie further than rcall reaches on a large chip
  st.out.Instr(Sep::kNarrow, st.mn.CallMnemonic, "_Lch");
  st.out.Text(R"(\t\tpop\t\tr25
\t\tdec\t\tr25
\t\tbrne\t_Def1
\t\tret)");
}

}  // namespace qbc
