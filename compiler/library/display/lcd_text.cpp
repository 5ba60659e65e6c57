// The character LCD's output routines: zero-terminated text from RAM or flash and
// hexadecimal digits, each character through _Lch.
#include <string>
#include <string_view>

#include "compiler/base/core_flash_read.h"
#include "compiler/library/display/lcd_routines.h"

namespace qbc {

namespace {

// Zero-terminated text from RAM at Z, character by character.
void WriteRamTextRoutine(CompilerState& st, std::string_view header, const std::string& label) {
  st.out.Line();
  st.out.Line(header);
  st.out.Instr(label, Sep::kWide, "ld", "r24,Z+");
  st.out.Instr(Sep::kWide, "tst", "r24");
  st.out.Instr(Sep::kNarrow, "breq", label + "1");
  st.out.Instr(Sep::kNarrow, "rcall", "_Lch");
  st.out.Instr(Sep::kNarrow, "rjmp", label);
  st.out.Instr(label + "1", Sep::kWide, "ret");
}

}  // namespace

void EmitLcdByteWordRoutine(CompilerState& st) {
  WriteRamTextRoutine(st, ";////// LCD Byte & Word ///////////////////", "_LBW");
}

void EmitLcdStringRoutine(CompilerState& st) {
  WriteRamTextRoutine(st, ";////// LCD string ////////////////////////", "_LSt");
}

void EmitLcdStringConstRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// LCD string constants //////////////");
  WriteFlashReadLines(st, st.out.LabelLead("_LSc"), Sep::kNarrow, "r24", true);
  st.out.Text(R"(\t\ttst\t\tr24
\t\tbreq\t_LSc1
\t\trcall\t_Lch
\t\trjmp\t_LSc
_LSc1:\tret)");
}

// The byte and the low byte of a word wait on the stack while _Lch runs: depending on the
// wiring _Lch changes r20, r21, r23, r25 or X, so no working register is safe across it.
void EmitLcdHexRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(;////// LcdHex ////////////////////////////
_Lhw:\tpush\tzl
\t\tmov\t\tzl,zh
\t\trcall\t_Lhb
\t\tpop\t\tzl
_Lhb:\tpush\tzl
\t\tswap\t\tzl
\t\trcall\t_Ln
\t\tpop\t\tzl
_Ln:\tandi\t\tzl,0x0f
\t\tsubi\t\tzl,-0x30
\t\tcpi\t\tzl,0x3a
\t\tbrlo\t_Ln1
\t\tsubi\t\tzl,-0x07
_Ln1:\tmov\t\tr24,zl
\t\trjmp\t_Lch)");
}

}  // namespace qbc
