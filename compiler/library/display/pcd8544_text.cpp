// The PCD8544 text output in the selected font: one character, strings in RAM and flash,
// converted numbers and hexadecimal digits. A glyph is bitmap (code - 32) of the font, an
// image array drawn through the image routines.
#include "compiler/base/core_flash_read.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/library/display/pcd8544_routines.h"

namespace qbc {

// _PcChr draws nothing for a code below 32 (no glyph stands for it). After the glyph the
// gap, as many columns as the font has banks, is cleared in every bank of the glyph, so
// text printed over old content leaves nothing of it between the characters; the column
// sums stop at 255 rather than run round to the left edge.
void EmitPcd8544GraphCharPrintRoutine(CompilerState& st) {
  st.out.Text(R"(

;////// GraphCharPrint ///////////////////
_PcChr:\tsubi\tzl,0x20
\t\tbrlo\t_PcChr1
\t\tmov\t\tr20,zl
\t\tpush\tr17
\t\trcall\t_PcCh
\t\tpop\t\tr17
_PcChr1:\tret)");
  // Above 64 KB the glyph is read from the font's page, and the caller's RAMPZ comes back
  // (the string-constant loop reads its text through it).
  if (st.dev.NeedRampz) {
    st.out.Text(R"(_PcCh:\tin\t\tzl,RAMPZ
\t\tpush\tzl
\t\tlds\t\tzl,_fnt3
\t\tout\t\tRAMPZ,zl
\t\tlds\t\tzl,_fntL)");
  } else {
    st.out.Text(R"(_PcCh:\tlds\t\tzl,_fntL)");
  }
  st.out.Text(R"(\t\tlds\t\tzh,_fntH
\t\trcall\t_PcSet
\t\trcall\t_PcImM
\t\tpush\tr9
\t\trcall\t_PcIot
\t\tpop\t\tr9
\t\tadd\t\tr16,r8
\t\tbrcc\t_PcCh3
\t\tldi\t\tr16,0xff
_PcCh3:\tsub\t\tr17,r9
\t\tclr\t\tr0
\t\tmov\t\tzh,r9
_PcCh2:\trcall\t_PcAdr
\t\tmov\t\tzl,r9
_PcCh1:\trcall\t_PcCut
\t\tdec\t\tzl
\t\tbrne\t_PcCh1
\t\tinc\t\tr17
\t\tdec\t\tzh
\t\tbrne\t_PcCh2
\t\tadd\t\tr16,r9
\t\tbrcc\t_PcCh4
\t\tldi\t\tr16,0xff)");
  if (st.dev.NeedRampz) {
    st.out.Text(R"(_PcCh4:\tpop\t\tzl
\t\tout\t\tRAMPZ,zl
\t\tret)");
  } else {
    st.out.Text(R"(_PcCh4:\tret)");
  }
  st.used.Set(NeedImgSet);
  st.used.Set(NeedImgArraySet);
}

void EmitPcd8544StringRoutine(CompilerState& st) {
  st.out.Text(R"(

;////// GLcd string //////////////////////
_PcSt:\tmov\t\txl,zl
\t\tmov\t\txh,zh
_PcSt2:\tld\t\tr20,X+
\t\tsubi\tr20,0x20
\t\tbrlo\t_PcSt1
\t\tpush\tr17
\t\trcall\t_PcCh
\t\tpop\t\tr17
\t\trjmp\t_PcSt2
_PcSt1:\tret)");
}

namespace {

// The loop of _PcBW and _PcSc: Z is kept on the stack around each glyph.
void WriteGlyphLoop(CompilerState& st, std::string_view label, std::string_view end) {
  const std::string l(label), e(end);
  st.out.Instr(Sep::kNarrow, "subi", "r20,0x20");
  st.out.Instr(Sep::kNarrow, "brlo", e);
  st.out.Instr(Sep::kNarrow, "push", "zl");
  st.out.Instr(Sep::kNarrow, "push", "zh");
  st.out.Instr(Sep::kNarrow, "push", "r17");
  st.out.Instr(Sep::kNarrow, "rcall", "_PcCh");
  st.out.Instr(Sep::kWide, "pop", "r17");
  st.out.Instr(Sep::kWide, "pop", "zh");
  st.out.Instr(Sep::kWide, "pop", "zl");
  st.out.Instr(Sep::kNarrow, "rjmp", l);
  st.out.Instr(e, Sep::kWide, "ret");
}

}  // namespace

void EmitPcd8544StringConstRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// GLcd string constant /////////////");
  WriteFlashReadLines(st, st.out.LabelLead("_PcSc"), Sep::kWide, "r20", true);
  WriteGlyphLoop(st, "_PcSc", "_PcSc1");
}

void EmitPcd8544NumbersRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// GLcd numbers /////////////////////");
  st.out.Instr("_PcBW", Sep::kWide, "ld", "r20,Z+");
  WriteGlyphLoop(st, "_PcBW", "_PcBW1");
}

void EmitPcd8544HexRoutine(CompilerState& st) {
  st.out.Text(R"(

;////// GlcdHex //////////////////////////
_PcHw:\tpush\tzl
\t\tmov\t\tzl,zh
\t\trcall\t_PcHb
\t\tpop\t\tzl
_PcHb:\tpush\tzl
\t\tswap\tzl
\t\trcall\t_Pcn
\t\tpop\t\tzl
_Pcn:\tandi\tzl,0x0f
\t\tsubi\tzl,-0x30
\t\tcpi\t\tzl,0x3a
\t\tbrlo\t_Pcn1
\t\tsubi\tzl,-0x07
_Pcn1:\trjmp\t_PcChr)");
}

}  // namespace qbc
