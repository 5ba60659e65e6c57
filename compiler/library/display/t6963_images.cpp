// The T6963C images: one image, or one of a table of equal-sized images, copied byte by
// byte from flash to the graphic layer at a byte column and pixel row. The fonts' glyphs
// are drawn by the same routines.
//
// An image is cut at the panel's right and bottom edges: its bytes are still read (Z ends
// past the image) but only those inside the panel are written, so nothing lands in the
// next row's bytes or the text layer. The column and row counts stop at 255 instead of
// running round to the panel's left or top edge, and an image of no width or height draws
// nothing (the equality tests of a walk from its end would run through 256 columns or
// rows). After the image r16 is the column right of it and r17 the row below it, both
// stopping at 255, so that glyphs written one after the other stop at the right edge too.
#include <string>
#include <utility>

#include "compiler/base/core_flash_read.h"
#include "compiler/library/display/t6963_routines.h"
#include "compiler/library/display/t6963_text.h"

namespace qbc {

namespace {

void WriteWithColumns(CompilerState& st, std::string text) {
  const std::string columns = std::to_string(T6963ByteColumns(st));
  for (auto at = text.find("{C}"); at != std::string::npos; at = text.find("{C}", at + columns.size()))
    text.replace(at, 3, columns);
  WriteT6963Text(st, text);
}

}  // namespace

// _TiGet: r16 column, r17 row, r8 width in bytes, r9 height in rows, Z the image's bytes.
// r15 counts the bytes of a row, r9 the rows; a row is addressed (_TaPut from r14) only
// when its first byte shows, and a byte is written only while it shows.
void EmitT6963ImgGetRoutine(CompilerState& st) {
  WriteWithColumns(st, R"(

_TiGet:\tmov\t\tr14,r16
\t\ttst\t\tr8
\t\tbreq\t_Tig8
\t\ttst\t\tr9
\t\tbreq\t_Tig9
_Tig1:\tmov\t\tr16,r14
\t\tcpi\t\tr16,{C}
\t\tbrsh\t_Tig2
\t\tcpi\t\tr17,{H}
\t\tbrsh\t_Tig2
\t\trcall\t_TaPut
_Tig2:\tmov\t\tr15,r8)");
  WriteFlashReadLines(st, st.out.LabelLead("_Tig3"), Sep::kWide, "r20", true);
  WriteWithColumns(st, R"(
\t\tcpi\t\tr16,{C}
\t\tbrsh\t_Tig4
\t\tcpi\t\tr17,{H}
\t\tbrsh\t_Tig4
\t\trcall\t_Twrb
_Tig4:\tinc\t\tr16
\t\tbrne\t_Tig5
\t\tdec\t\tr16
_Tig5:\tdec\t\tr15
\t\tbrne\t_Tig3
\t\tinc\t\tr17
\t\tbrne\t_Tig6
\t\tdec\t\tr17
_Tig6:\tdec\t\tr9
\t\tbrne\t_Tig1
\t\tret
_Tig8:\tadd\t\tr17,r9
\t\tbrcc\t_Tig9
\t\tser\t\tr17
_Tig9:\tret)");
}

void EmitT6963ImgSetRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C ImgSet ////////////////////
_Timg:\trcall\t_Tset
\t\trcall\t_TiGet
\t\tret)");
  WriteFlashReadLines(st, st.out.LabelLead("_Tset"), Sep::kWide, "r8", true);
  WriteFlashReadLines(st, st.out.MnemonicIndent, Sep::kWide, "r9", true);
  WriteT6963Text(st, R"(
\t\tret)");
}

// _Timm steps Z over r20 images of r8 x r9 bytes.
void EmitT6963ImgArraySetRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// T6963C ImgArraySet ///////////////
_Tima:\trcall\t_Tset
\t\trcall\t_Timm
\t\trcall\t_TiGet
\t\tret
_Timm:\tmov\t\tr14,zl
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
}

}  // namespace qbc
