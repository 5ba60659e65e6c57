// The T6963C's text layer: texts and numbers from data memory, string constants from
// flash and hexadecimal numbers, each character written as its controller code (ASCII
// minus 0x20) from a character position on, up to the first character below 0x20.
//
// Each routine sets the address pointer once (_TtAdr) and lets the controller step it;
// the characters go through _TtWr, which writes one only while the column lies inside
// the panel and the text area, so a text running past the right edge is cut there
// instead of landing in the next row or beyond the layer.
#include "compiler/base/core_flash_read.h"
#include "compiler/library/display/t6963_routines.h"
#include "compiler/library/display/t6963_text.h"

namespace qbc {

void EmitT6963NumbersRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C numbers ///////////////////
_TBW:\trcall\t_TtAdr
_TBW2:\tld\t\tr20,Z+
\t\tsubi\tr20,0x20
\t\tbrlo\t_TBW1
\t\trcall\t_TtWr
\t\trjmp\t_TBW2
_TBW1:\tret)");
}

void EmitT6963StringRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C String ////////////////////
_Tst:\trcall\t_TtAdr
\t\tmov\t\txl,zl
\t\tmov\t\txh,zh
_Tst2:\tld\t\tr20,X+
\t\tsubi\tr20,0x20
\t\tbrlo\t_Tst1
\t\trcall\t_TtWr
\t\trjmp\t_Tst2
_Tst1:\tret)");
}

void EmitT6963StringConstRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C String Constant ///////////
_Tsc:\trcall\t_TtAdr)");
  WriteFlashReadLines(st, st.out.LabelLead("_Tsc2"), Sep::kWide, "r20", true);
  WriteT6963Text(st, R"(
\t\tsubi\tr20,0x20
\t\tbrlo\t_Tsc1
\t\trcall\t_TtWr
\t\trjmp\t_Tsc2
_Tsc1:\tret)");
}

// _Thb: the byte in zl; _Thw: the word in zh:zl, high byte first. A nibble n becomes the
// code of "0".."9" (0x10 + n) or "A".."F" (0x21 + n - 10).
void EmitT6963HexRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C Hex ///////////////////////
_Thb:\trcall\t_TtAdr
\t\trcall\t_Thb1
\t\tret
_Thw:\trcall\t_TtAdr
\t\tpush\tzl
\t\tmov\t\tzl,zh
\t\trcall\t_Thb1
\t\tpop\t\tzl
_Thb1:\tpush\tzl
\t\tswap\tzl
\t\trcall\t_Th
\t\tpop\t\tzl
_Th:\tandi\tzl,0x0f
\t\tsubi\tzl,-0x10
\t\tcpi\t\tzl,0x1a
\t\tbrlo\t_Th1
\t\tsubi\tzl,-0x07
\t\trjmp\t_Th1
_Th1:\tmov\t\tr20,zl
\t\trcall\t_TtWr
\t\tret)");
}

}  // namespace qbc
