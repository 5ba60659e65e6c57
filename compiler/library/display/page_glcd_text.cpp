// Text, numbers, hex and images of the HD61202 and SED1520 families in the selected font.
// A glyph is bitmap (code - 32) of the font, drawn through the image routines.
#include <string>

#include "compiler/base/core_flash_read.h"
#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/library/display/page_glcd_routines.h"

namespace qbc {

namespace {

std::string Label(int type, const char* name) { return std::string(PageGlcdPrefix(type)) + name; }

// The glyph loop of the number and string-constant routines: Z is kept around each glyph.
void WriteGlyphLoop(CompilerState& st, int type, const char* again, const char* end) {
  WritePageGlcdText(st, type, std::string(R"(
\t\tsubi\tr20,0x20
\t\tbrlo\t{P})") + end + R"(
\t\tpush\tzl
\t\tpush\tzh
\t\trcall\t{P}ch
\t\tpop\t\tzh
\t\tpop\t\tzl
\t\trjmp\t{P})" + again + "\n{P}" + end + ":\tret");
}

}  // namespace

void EmitPageGlcdNumbersRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, "\n\n;////// GLcd numbers /////////////////////\n{P}BW:\tld\t\tr20,Z+");
  WriteGlyphLoop(st, type, "BW", "BW1");
}

void EmitPageGlcdStringRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// GLcd string //////////////////////
{P}St:\tmov\t\txl,zl
\t\tmov\t\txh,zh
{P}st2:\tld\t\tr20,X+
\t\tsubi\tr20,0x20
\t\tbrlo\t{P}st1
\t\trcall\t{P}ch
\t\trjmp\t{P}st2
{P}st1:\tret)");
}

void EmitPageGlcdStringConstRoutine(CompilerState& st, int type) {
  st.out.Line();
  st.out.Line(";////// GLcd string constant /////////////");
  WriteFlashReadLines(st, st.out.LabelLead(Label(type, "Sc")), Sep::kWide, "r20", true);
  WriteGlyphLoop(st, type, "Sc", "sc1");
}

void EmitPageGlcdHexRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// GlcdHex //////////////////////////
{P}hw:\tpush\tzl
\t\tmov\t\tzl,zh
\t\trcall\t{P}hb
\t\tpop\t\tzl
{P}hb:\tpush\tzl
\t\tswap\tzl
\t\trcall\t{P}n
\t\tpop\t\tzl
{P}n:\tandi\tzl,0x0f
\t\tsubi\tzl,-0x30
\t\tcpi\t\tzl,0x3a
\t\tbrlo\t{P}n1
\t\tsubi\tzl,-0x07
{P}n1:\trjmp\t{P}chr)");
}

// A code below 32 draws nothing (no glyph stands for it). After the glyph (w columns, h
// pages) the gap of h columns is cleared on every page of the glyph, so text printed over
// old content keeps nothing of it between the characters; the advance is w + h, and the
// columns stop at 255 rather than run round to the left edge.
void EmitPageGlcdCharPrintRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// GraphCharPrint ///////////////////
{P}chr:\tsubi\tzl,0x20
\t\tbrsh\t{P}ch0
\t\tret
{P}ch0:\tmov\t\tr20,zl)");
  // Above 64 KB the glyph is read from the font's page, and the caller's RAMPZ comes back
  // (the string-constant loop reads its text through it).
  if (st.dev.NeedRampz) {
    WritePageGlcdText(st, type, R"({P}ch:\tin\t\tzl,RAMPZ
\t\tpush\tzl
\t\tlds\t\tzl,_fnt3
\t\tout\t\tRAMPZ,zl
\t\tlds\t\tzl,_fntL)");
  } else {
    WritePageGlcdText(st, type, R"({P}ch:\tlds\t\tzl,_fntL)");
  }
  WritePageGlcdText(st, type, R"(\t\tlds\t\tzh,_fntH
\t\trcall\t{P}set
\t\trcall\t{P}imM
\t\tpush\tr9
\t\trcall\t{P}Iot
\t\tpop\t\tr9
\t\ttst\t\tr9
\t\tbreq\t{P}ch4
\t\tpush\tr17
\t\tmov\t\tr14,r16
\t\tmov\t\tr25,r9
\t\tclr\t\tr0
{P}ch2:\tmov\t\tr16,r14
\t\tmov\t\tzl,r9
{P}ch1:\trcall\t{P}wr
\t\tinc\t\tr16
\t\tbrne\t{P}ch3
\t\tser\t\tr16
{P}ch3:\tdec\t\tzl
\t\tbrne\t{P}ch1
\t\tinc\t\tr17
\t\tbrne\t{P}ch5
\t\tser\t\tr17
{P}ch5:\tdec\t\tr25
\t\tbrne\t{P}ch2
\t\tpop\t\tr17)");
  if (st.dev.NeedRampz) {
    WritePageGlcdText(st, type, R"({P}ch4:\tpop\t\tzl
\t\tout\t\tRAMPZ,zl
\t\tret)");
  } else {
    WritePageGlcdText(st, type, R"({P}ch4:\tret)");
  }
  st.used.Set(NeedImgSet);
  st.used.Set(NeedImgArraySet);
}

// {P}Iot writes the bitmap page by page from (r16, r17), w = r8 columns by h = r9 pages.
// Bytes beyond the panel are passed over by the write routine; column and page counts
// stop at 255 instead of running round to the panel's left or top edge, and an image of
// no width or height draws nothing. r16 ends after the image, r17 on its first page.
void EmitPageGlcdImgSetRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// Images Set ///////////////////////
{P}img:\trcall\t{P}set
\t\trcall\t{P}Iot
\t\tret)");
  WriteFlashReadLines(st, st.out.LabelLead(Label(type, "set")), Sep::kWide, "r8", true);
  WriteFlashReadLines(st, st.out.MnemonicIndent, Sep::kWide, "r9", true);
  WritePageGlcdText(st, type, R"(
\t\tret
{P}Iot:\tmov\t\tr14,r16
\t\tmov\t\tr15,r17
\t\tmov\t\tr25,r9
\t\ttst\t\tr8
\t\tbreq\t{P}Io4
\t\ttst\t\tr9
\t\tbreq\t{P}Io4
{P}Io2:\tmov\t\tr16,r14
\t\tmov\t\tr24,r8)");
  WriteFlashReadLines(st, st.out.LabelLead(Label(type, "Io1")), Sep::kWide, "r0", false);
  WritePageGlcdText(st, type, R"(
\t\trcall\t{P}wr
\t\tinc\t\tr16
\t\tbrne\t{P}Io3
\t\tser\t\tr16
{P}Io3:\tdec\t\tr24
\t\tbrne\t{P}Io1
\t\tinc\t\tr17
\t\tbrne\t{P}Io5
\t\tser\t\tr17
{P}Io5:\tdec\t\tr25
\t\tbrne\t{P}Io2
{P}Io4:\tmov\t\tr17,r15
\t\tret)");
}

void EmitPageGlcdImgArraySetRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// Images Array Set /////////////////
{P}imA:\trcall\t{P}set
\t\trcall\t{P}imM
\t\trcall\t{P}Iot
\t\tret
{P}imM:\tmov\t\tr14,zl
\t\tmov\t\tr15,zh
\t\tmov\t\tzl,r20
\t\tclr\t\tzh
\t\tmov\t\tr24,r8
\t\tclr\t\tr25
\t\trcall\tMp16u
\t\tmov\t\tr24,r9
\t\trcall\tMp16u
\t\tadd\t\tzl,r14
\t\tadc\t\tzh,r15
\t\tret)");
  st.used.Set(NeedMul16u);
}

}  // namespace qbc
