// The T6963C's graphic text: glyphs of the selected font (an image table in flash, one
// header and the glyphs back to back, the first one for " ", or for "0" in the number
// font) drawn into the graphic layer at a byte column and pixel row. Consecutive glyphs
// stand side by side: _SFnt keeps the row and leaves the column right of the glyph.
//
// Every glyph routine draws through the image-table routine, so each of them asks for the
// image routines, which come later in the link order.
#include <string>

#include "compiler/base/core_flash_read.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/library/display/t6963_routines.h"
#include "compiler/library/display/t6963_text.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

void NeedImageRoutines(CompilerState& st) {
  st.used.Set(NeedImgSet);
  st.used.Set(NeedImgArraySet);
}

// `label`: glyphs from the text at Z in data memory, `base` the code of glyph 0.
void WriteDataTextLoop(CompilerState& st, const std::string& header, const std::string& label,
                       const std::string& base, const std::string& end) {
  WriteT6963Text(st, "\n\n" + header + "\n" + label + ":\\tld\\t\\tr20,Z+\n\\t\\tsubi\\tr20," + base +
                         "\n\\t\\tbrlo\\t" + end + "\n\\t\\trcall\\t_SFnt\n\\t\\trjmp\\t" + label + "\n" + end +
                         ":\\tret");
  NeedImageRoutines(st);
}

// The same from a string constant in flash.
void WriteFlashTextLoop(CompilerState& st, const std::string& header, const std::string& label,
                        const std::string& base, const std::string& end) {
  WriteT6963Text(st, "\n\n" + header);
  WriteFlashReadLines(st, st.out.LabelLead(label), Sep::kWide, "r20", true);
  WriteT6963Text(st, "\n\\t\\tsubi\\tr20," + base + "\n\\t\\tbrlo\\t" + end + "\n\\t\\trcall\\t_SFnt\n\\t\\trjmp\\t" +
                         label + "\n" + end + ":\\tret");
  NeedImageRoutines(st);
}

}  // namespace

// _SFnt draws glyph r20 at column r16, row r17. A position past the right or bottom edge
// draws nothing and leaves r16 where it is: the column stays below 256, so a long text
// never wraps round to the left of the panel.
void EmitT6963GlyphRoutine(CompilerState& st) {
  const GlcdCells& g = st.Cells<GlcdCells>();
  std::string text = "\n_SFnt:\\tcpi\\t\\tr16," + std::to_string(T6963ByteColumns(st)) + "\n\\t\\tbrsh\\t_SFnt1" +
                     "\n\\t\\tcpi\\t\\tr17," + std::to_string(g.GlcdOption2) + "\n\\t\\tbrsh\\t_SFnt1";
  text += R"(
\t\tpush\tzl
\t\tpush\tzh
\t\tpush\tr17
\t\tlds\t\tzl,_fntL
\t\tlds\t\tzh,_fntH)";
  // The font's page for the glyph; the caller's RAMPZ back afterwards, so the text loops
  // go on reading a string constant that lies on another page.
  if (st.dev.NeedRampz) text += R"(
\t\tin\t\tr18,RAMPZ
\t\tpush\tr18
\t\tlds\t\tr18,_fnt3
\t\tout\t\tRAMPZ,r18)";
  text += R"(
\t\trcall\t_Tima)";
  if (st.dev.NeedRampz) text += R"(
\t\tpop\t\tr18
\t\tout\t\tRAMPZ,r18)";
  text += R"(
\t\tpop\t\tr17
\t\tpop\t\tzh
\t\tpop\t\tzl
_SFnt1:\tret)";
  WriteT6963Text(st, text);
}

void EmitT6963ChrRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C Chr() /////////////////////
_TFchr:\tsubi\tzl,0x20
\t\tbrlo\t_Tch1
\t\tmov\t\tr20,zl
\t\trcall\t_SFnt
_Tch1:\tret)");
  NeedImageRoutines(st);
}

// _TFhw: the word in zh:zl, high byte first; _TFhb: the byte in zl. A nibble becomes the
// glyph of "0".."9" or "A".."F". The word entry is not the text layer's _Thw, so that
// TLcd and GLcd can both print words in hex in one program.
void EmitT6963FontHexRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C Hex ///////////////////////
_TFhw:\tpush\tzl
\t\tmov\t\tzl,zh
\t\trcall\t_TFhb
\t\tpop\t\tzl
_TFhb:\tpush\tzl
\t\tswap\tzl
\t\trcall\t_TFh
\t\tpop\t\tzl
_TFh:\tandi\tzl,0x0f
\t\tsubi\tzl,-0x10
\t\tcpi\t\tzl,0x1a
\t\tbrlo\t_TFh1
\t\tsubi\tzl,-0x07
\t\trjmp\t_TFh1
_TFh1:\tmov\t\tr20,zl
\t\trcall\t_SFnt
\t\tret)");
  NeedImageRoutines(st);
}

void EmitT6963GraphCharPrintRoutine(CompilerState& st) {
  WriteDataTextLoop(st, ";////// GraphCharPrint ///////////////////", "_TFBW", "0x20", "_TSch1");
}

void EmitT6963GraphNumPrintRoutine(CompilerState& st) {
  WriteDataTextLoop(st, ";////// GraphNumPrint ////////////////////", "_TNBW", "0x30", "_TNch1");
}

void EmitT6963FontStringConstRoutine(CompilerState& st) {
  WriteFlashTextLoop(st, ";////// GLcd string constant /////////////", "_TFsc", "0x20", "_TFsc1");
}

void EmitT6963NumStringConstRoutine(CompilerState& st) {
  WriteFlashTextLoop(st, ";////// Gnum string constant /////////////", "_TNsc", "0x30", "_TNsc1");
}

}  // namespace qbc
