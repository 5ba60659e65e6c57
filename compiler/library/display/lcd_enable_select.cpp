// A display of two HD44780 controllers (40x4: E1 serves rows 1-2, E2 rows 3-4): the SRAM
// cells that say which controller takes the next byte, and the routines that choose it.
//
// The cursor shows on the controller in use only: a controller that is left gets the last
// display control command without its cursor and blink bits, the one chosen gets it whole.
// Cursor and Display go through _LDc, which keeps that command and gives it to both that
// way; Locate chooses with _LE1 or _LE2; Cls and DefLcdChar reach both with _LE12 and
// come back to row 1 with _LE1.
#include <string>

#include "compiler/codegen/emit_lines.h"
#include "compiler/library/display/lcd_routines.h"
#include "compiler/statements/peripherals/lcd_cells.h"

namespace qbc {

void EmitLcdEnableSelectRoutine(CompilerState& st) {
  const std::string select = kLcdSelectCell;
  const std::string control = kLcdControlCell;
  st.out.Line();
  st.out.Line(";////// Lcd E1/E2 select //////////////////");
  // The cells lie with the routines that keep them; LcdIni sets both.
  st.out.Instr(Sep::kWide, ".DSEG");
  st.out.Instr(select, Sep::kNarrow, ".byte", "1");
  st.out.Instr(control, Sep::kNarrow, ".byte", "1");
  st.out.Instr(Sep::kWide, ".CSEG");
  st.sym.SystemVarBytes = static_cast<std::int16_t>(st.sym.SystemVarBytes + 2);
  // r24: the display control command (0x08 to 0x0f) for the controller in use.
  st.out.Instr("_LDc", Sep::kWide, "sts", control + ",r24");
  st.out.Instr(Sep::kWide, "lds", "r24," + select);
  st.out.Instr(Sep::kWide, "ldi", "r23,0x03");
  st.out.Instr(Sep::kWide, "eor", "r23,r24");
  // Seemingly on the other controller, so that _LSel gives both their command.
  st.out.Instr(Sep::kWide, "sts", select + ",r23");
  st.out.Instr(Sep::kNarrow, "rjmp", "_LSel");
  st.out.Instr("_LE12", Sep::kWide, "ldi", "r24,0x03");
  st.out.Instr(Sep::kWide, "sts", select + ",r24");
  st.out.Instr("ret");
  st.out.Instr("_LE1", Sep::kWide, "ldi", "r24,0x01");
  st.out.Instr(Sep::kNarrow, "rjmp", "_LSel");
  st.out.Instr("_LE2", Sep::kWide, "ldi", "r24,0x02");
  // r24: the E lines wanted (1 or 2); nothing to send when they are selected already.
  st.out.Instr("_LSel", Sep::kWide, "lds", "r23," + select);
  st.out.Instr(Sep::kWide, "cp", "r23,r24");
  st.out.Instr(Sep::kNarrow, "breq", "_LSel1");
  st.out.Instr(Sep::kNarrow, "push", "r24");
  st.out.Instr(Sep::kWide, "lds", "r24," + control);
  st.out.Instr(Sep::kWide, "andi", "r24,0xfc");
  st.out.Instr(Sep::kNarrow, "rcall", "_LCtr");
  st.out.Instr(Sep::kWide, "pop", "r24");
  st.out.Instr(Sep::kWide, "sts", select + ",r24");
  st.out.Instr(Sep::kWide, "lds", "r24," + control);
  st.out.Instr(Sep::kNarrow, "rjmp", "_LCtr");
  st.out.Instr("_LSel1", Sep::kWide, "ret");
}

}  // namespace qbc
