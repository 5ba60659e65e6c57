// The font selection of the graphic text statements, the same on every controller.
#include "compiler/library/display/glcd_routines.h"

#include "compiler/base/flags/glcd_flags.h"
#include "compiler/library/display/t6963_routines.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

// Z (and on the largest chips r18, the third address byte) into the font cells that the
// glyph routines read.
void EmitFontSelectRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Line(";////// FontSet ////////////////////////");
  st.out.Instr("_Fnt", Sep::kWide, "sts", "_fntL,zl");
  st.out.Instr(Sep::kWide, "sts", "_fntH,zh");
  if (st.dev.NeedRampz) st.out.Instr(Sep::kWide, "sts", "_fnt3,r18");
  st.out.Instr("ret");
  // The T6963C's glyph draw, for the glyph routines that were written.
  const bool glyphs = st.used[NeedGlcdNumbers] || st.used[NeedGlcdString] || st.used[NeedGlcdStrConst] ||
                      st.used[NeedTNBW] || st.used[NeedTNBW2] || st.used[NeedTNsc] || st.used[NeedGlcdHex] ||
                      st.used[NeedTFchr];
  if (st.Cells<GlcdCells>().GlcdType == 1 && glyphs) EmitT6963GlyphRoutine(st);
}

}  // namespace qbc
