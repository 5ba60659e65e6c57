// The T6963C drawing routines: the pixel (8 or 6 pixels a byte, by the module's "fs"
// wiring), horizontal and vertical lines, the box outline, the circle and the general line,
// all drawn pixel by pixel with the controller's bit set/reset command.
//
// The pixel routine draws nothing outside the panel (the $glcd width and height): a
// coordinate beyond it would address another row's byte or the text layer. The lines take
// their two values in either order and draw every pixel between them, and the circle skips
// the points whose x or y would leave 0 to 255 instead of wrapping them onto the far side.
#include <string>
#include <utility>

#include "compiler/library/display/t6963_routines.h"
#include "compiler/library/display/t6963_text.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

// The panel test in front of both pixel forms: nothing is drawn from x = width or
// y = height on.
constexpr const char* kPixelClip = R"(

;////// T6963T Pset //////////////////////
_Tpix:\tcpi\t\tr16,{W}
\t\tbrsh\t_Tpi9
\t\tcpi\t\tr17,{H}
\t\tbrsh\t_Tpi9
\t\tpush\tr21
\t\tpush\tr16
\t\tpush\tr17
\t\tpush\tzl
\t\tmov\t\tr26,r16
\t\trcall\t_TgAdr)";

constexpr const char* kPixelCommand = R"(
\t\tldi\t\tr20,0xf0
\t\tpop\t\tzl
\t\ttst\t\tr13
\t\tbreq\t_Tpi1
\t\tldi\t\tr20,0xf8)";

constexpr const char* kPixelEnd = R"(
\t\tsub\t\tr21,r26
\t\tor\t\tr20,r21
\t\trcall\t_Tcmd
\t\tpop\t\tr17
\t\tpop\t\tr16
\t\tpop\t\tr21
_Tpi9:\tret)";

}  // namespace

// Point reads the byte that holds the pixel, addressed as the pixel routine addresses it,
// without drawing the pixel first; outside the panel it gives 0.
void EmitT6963PointRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// Point ////////////////////////////
_TPnt:\tpush\tr17
\t\tpush\tr16
\t\tclr\t\tr26
\t\tcpi\t\tr16,{W}
\t\tbrsh\t_TPn9
\t\tcpi\t\tr17,{H}
\t\tbrsh\t_TPn9
\t\trcall\t_TgAdr)");
  if (st.Cells<GlcdCells>().GlcdLine5.starts_with("1"))
    WriteT6963Text(st, R"(
\t\tpush\tzl
\t\tmov\t\tr24,r10
\t\tldi\t\tzl,0x06
\t\trcall\tDiv8u
\t\tmov\t\tr10,zl
\t\tpop\t\tzl)");
  else
    WriteT6963Text(st, R"(
\t\tlsr\t\tr10
\t\tlsr\t\tr10
\t\tlsr\t\tr10)");
  WriteT6963Text(st, R"(
\t\trcall\t_TgAd1
\t\trcall\t_Trd
_TPn9:\tmov\t\tzl,r26
\t\tpop\t\tr16
\t\tpop\t\tr17
\t\tret)");
}

int T6963ByteColumns(const CompilerState& st) {
  const GlcdCells& g = st.Cells<GlcdCells>();
  const int per_byte = g.GlcdLine5.starts_with("1") ? 6 : 8;
  return (g.GlcdOption1 + per_byte - 1) / per_byte;
}

namespace {

// The start of a block routine (r16 column, r17 row, r21 columns, r22 rows): an empty block
// or one that starts outside the panel returns at once (label `done`); the width and height
// are cut at the right and bottom edges; the block is then set up with _TaSet.
std::string BlockStart(const CompilerState& st, const std::string& entry, const std::string& p) {
  const std::string columns = std::to_string(T6963ByteColumns(st));
  std::string text = R"(
@E:\ttst\t\tr21
\t\tbreq\t@P9
\t\ttst\t\tr22
\t\tbreq\t@P9
\t\tcpi\t\tr16,@C
\t\tbrsh\t@P9
\t\tcpi\t\tr17,{H}
\t\tbrsh\t@P9
\t\tldi\t\tr20,@C
\t\tsub\t\tr20,r16
\t\tcp\t\tr20,r21
\t\tbrsh\t@P1
\t\tmov\t\tr21,r20
@P1:\tldi\t\tr20,{H}
\t\tsub\t\tr20,r17
\t\tcp\t\tr20,r22
\t\tbrsh\t@P2
\t\tmov\t\tr22,r20
@P2:\tmov\t\tr8,r21
\t\tmov\t\tr9,r22)";
  for (auto [key, value] : {std::pair<std::string, std::string>{"@E", entry}, {"@P", p}, {"@C", columns}})
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  return text;
}

}  // namespace

// Fill writes zl to a block of whole bytes, cut at the panel's right and bottom edges; an
// empty block writes nothing.
void EmitT6963FillRoutine(CompilerState& st) {
  WriteT6963Text(st, "\n\n;////// Fill /////////////////////////////" + BlockStart(st, "_Tfill", "_Tfl") + R"(
\t\tmov\t\tr26,zl
\t\trcall\t_TaSet
\t\trcall\t_Tcls
_Tfl9:\tret)");
}

// Inverse replaces each byte of the block by its complement: read at the address pointer
// (which the read leaves), written back with increment; cut and empty as Fill.
void EmitT6963InverseRoutine(CompilerState& st) {
  WriteT6963Text(st, "\n\n;////// Inverse //////////////////////////" + BlockStart(st, "_TInv", "_TIv") + R"(
\t\trcall\t_TaSet
_TIv3:\trcall\t_Trd
\t\tmov\t\tr20,r26
\t\tcom\t\tr20
\t\trcall\t_Twrb
\t\tinc\t\tr16
\t\tcp\t\tr16,r8
\t\tbrne\t_TIv3
\t\tinc\t\tr17
\t\tcp\t\tr17,r9
\t\tbreq\t_TIv9
\t\trcall\t_TaPut
\t\trjmp\t_TIv3
_TIv9:\tret)");
}

void EmitT6963Pset8Routine(CompilerState& st) {
  WriteT6963Text(st, kPixelClip);
  WriteT6963Text(st, R"(
\t\tlsr\t\tr10
\t\tlsr\t\tr10
\t\tlsr\t\tr10
\t\trcall\t_TgAd1)");
  WriteT6963Text(st, kPixelCommand);
  WriteT6963Text(st, R"(
_Tpi1:\tandi\tr26,0x07
\t\tldi\t\tr21,0x07)");
  WriteT6963Text(st, kPixelEnd);
}

void EmitT6963Pset6Routine(CompilerState& st) {
  WriteT6963Text(st, kPixelClip);
  WriteT6963Text(st, R"(
\t\tpush\tzl
\t\tmov\t\tr24,r10
\t\tldi\t\tzl,0x06
\t\trcall\tDiv8u
\t\tmov\t\tr10,zl
\t\tmov\t\tr26,r22
\t\tpop\t\tzl
\t\trcall\t_TgAd1)");
  WriteT6963Text(st, kPixelCommand);
  WriteT6963Text(st, R"(
_Tpi1:\tldi\t\tr21,0x05)");
  WriteT6963Text(st, kPixelEnd);
}

namespace {

// A line along one axis: `coord` (r16 for LineH, r17 for LineV) runs from the smaller of
// it and r21 to the larger, |r21 - coord| + 1 pixels, up to 256.
void WriteAxisLine(CompilerState& st, const std::string& header, const std::string& entry, const std::string& loop,
                   const std::string& coord) {
  std::string text = R"(

;////// )" + header + R"(
@E:\tcp\t\tr21,@C
\t\tbrsh\t@L0
\t\tmov\t\tr20,r21
\t\tmov\t\tr21,@C
\t\tmov\t\t@C,r20
@L0:\tsub\t\tr21,@C
\t\tmov\t\tr13,zl
@L1:\trcall\t_TPix
\t\tinc\t\t@C
\t\tsubi\tr21,1
\t\tbrcc\t@L1
\t\tret)";
  for (auto [key, value] : {std::pair<std::string, std::string>{"@E", entry}, {"@L", loop}, {"@C", coord}})
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  WriteT6963Text(st, text);
}

}  // namespace

void EmitT6963LineHRoutine(CompilerState& st) {
  WriteAxisLine(st, "LineH ////////////////////////////", "_TLiH", "_TLH", "r16");
}

void EmitT6963LineVRoutine(CompilerState& st) {
  WriteAxisLine(st, "LineV ////////////////////////////", "_TLiV", "_TLV", "r17");
}

void EmitT6963BoxRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// Box //////////////////////////////
_Tbox:\tmov\t\tr15,r16
\t\tmov\t\tr8,r21
\t\tmov\t\tr9,r22
\t\tmov\t\txh,r17
\t\trcall\t_TLiH
\t\tmov\t\tr17,xh
\t\tmov\t\tr16,r15
\t\tmov\t\tr21,r9
\t\trcall\t_TLiV
\t\tmov\t\tr17,xh
\t\tmov\t\tr16,r8
\t\tmov\t\tr21,r9
\t\trcall\t_TLiV
\t\tmov\t\tr16,r15
\t\tmov\t\tr17,r9
\t\tmov\t\tr21,r8
\t\trcall\t_TLiH
\t\tret)");
}

// Midpoint circle, d = 1 - r in 16 bits in r22:r21, x in r14 from 0, y in r15 from r.
void EmitT6963CircleRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// Circle ///////////////////////////
_TCir:\tpush\tr19
\t\tmov\t\tr13,zl
\t\tmov\t\tr8,r16
\t\tmov\t\tr9,r17
\t\tclr\t\tr14
\t\tmov\t\tr15,r21
\t\trcall\t_TCip
\t\tclr\t\tr22
\t\tneg\t\tr21
\t\tsbc\t\tr22,r22
\t\tsubi\tr21,byte1(-1)
\t\tsbci\tr22,byte2(-1)
_TCi3:\tcp\t\tr14,r15
\t\tbrlo\t_TCi4
\t\trjmp\t_TCi1
_TCi4:\tinc\t\tr14
\t\tsbrs\tr22,0x07
\t\trjmp\t_TCi2
\t\tmov\t\tr19,r14
\t\tclr\t\tr27
\t\tlsl\t\tr19
\t\trol\t\tr27
\t\tadd\t\tr21,r19
\t\tadc\t\tr22,r27
\t\tsubi\tr21,byte1(-1)
\t\tsbci\tr22,byte2(-1)
\t\trjmp\t_TCi5
_TCi2:\tdec\t\tr15
\t\tmov\t\tr19,r14
\t\tclr\t\tr27
\t\tsub\t\tr19,r15
\t\tsbci\tr27,0x00
\t\tlsl\t\tr19
\t\trol\t\tr27
\t\tadd\t\tr21,r19
\t\tadc\t\tr22,r27
\t\tsubi\tr21,byte1(-1)
\t\tsbci\tr22,byte2(-1)
_TCi5:\trcall\t_TCip
\t\trjmp\t_TCi3
_TCi1:\tpop\t\tr19
\t\tret)");
  // The eight points, each skipped when a sum passes 255 or a difference drops below 0.
  struct Point {
    const char* x_op;
    const char* x_by;
    const char* y_op;
    const char* y_by;
  };
  static constexpr Point kPoints[] = {{"add", "r14", "add", "r15"}, {"add", "r14", "sub", "r15"},
                                      {"sub", "r14", "add", "r15"}, {"sub", "r14", "sub", "r15"},
                                      {"add", "r15", "add", "r14"}, {"add", "r15", "sub", "r14"},
                                      {"sub", "r15", "add", "r14"}, {"sub", "r15", "sub", "r14"}};
  std::string text = "\n_TCip:\\tpush\\tr22";
  int n = 0;
  for (const Point& p : kPoints) {
    const std::string skip = "_TCq" + std::to_string(++n);
    text += "\n\\t\\tmov\\t\\tr16,r8\n\\t\\t" + std::string(p.x_op) + "\\t\\tr16," + p.x_by + "\n\\t\\tbrcs\\t" + skip +
            "\n\\t\\tmov\\t\\tr17,r9\n\\t\\t" + p.y_op + "\\t\\tr17," + p.y_by + "\n\\t\\tbrcs\\t" + skip +
            "\n\\t\\trcall\\t_Tpix\n" + skip + ":";
  }
  text += "\\tpop\\t\\tr22\n\\t\\tret";
  WriteT6963Text(st, text);
}

void EmitT6963LineRoutine(CompilerState& st) {
  WriteT6963Text(st, R"(

;////// Line /////////////////////////////
_TLin:\tmov\t\tr13,zl
\t\tcp\t\tr21,r16
\t\tbrlo\t_TLi1
\t\tmov\t\tr8,r21
\t\tsub\t\tr8,r16
\t\tset
\t\tbld\t\tr19,0x00
\t\trjmp\t_TLi2
_TLi1:\tmov\t\tr8,r16
\t\tsub\t\tr8,r21
\t\tclt
\t\tbld\t\tr19,0x00
_TLi2:\tcp\t\tr22,r17
\t\tbrlo\t_TLi3
\t\tmov\t\tr9,r22
\t\tsub\t\tr9,r17
\t\tset
\t\tbld\t\tr19,0x01
\t\trjmp\t_TLi4
_TLi3:\tmov\t\tr9,r17
\t\tsub\t\tr9,r22
\t\tclt
\t\tbld\t\tr19,0x01
_TLi4:\tcp\t\tr8,r9
\t\tbrlo\t_TLi5
\t\tset
\t\tbld\t\tr19,0x02
\t\tmov\t\tr14,r8
\t\tmov\t\tr26,r8
\t\tlsr\t\tr26
\t\tclr\t\tr27
\t\tmov\t\tr15,r9
\t\tmov\t\tr22,r8
\t\trjmp\t_TLi6
_TLi5:\tclt
\t\tbld\t\tr19,0x02
\t\tmov\t\tr14,r9
\t\tmov\t\tr26,r9
\t\tlsr\t\tr26
\t\tclr\t\tr27
\t\tmov\t\tr15,r8
\t\tmov\t\tr22,r9
_TLi6:\tmov\t\tr21,r22
\t\tinc\t\tr21
_TLi7:\tpush\tr26
\t\trcall\t_Tpix
\t\tpop\t\tr26
\t\tclr\t\tzh
\t\tadd\t\tr26,r15
\t\tadc\t\tr27,zh
\t\tcp\t\tr26,r14
\t\tcpc\t\tr27,zh
\t\tbrlo\t_TLi12
\t\tsub\t\tr26,r14
\t\tsbc\t\tr27,zh
\t\tsbrs\tr19,2
\t\trjmp\t_TLi10
\t\tsbrs\tr19,0x01
\t\trjmp\t_TLi8
\t\tinc\t\tr17
\t\trjmp\t_TLi12
_TLi8:\tdec\t\tr17
_TLi9:\trjmp\t_TLi12
_TLi10:\tsbrs\tr19,0x00
\t\trjmp\t_TLi11
\t\tinc\t\tr16
\t\trjmp\t_TLi12
_TLi11:\tdec\t\tr16
_TLi12:\tsbrs\tr19,0x02
\t\trjmp\t_TLi13
\t\tsbrs\tr19,0x00
\t\trjmp\t_TLi14
\t\tinc\t\tr16
\t\trjmp\t_TLi16
_TLi14:\tdec\t\tr16
_TLi15:\trjmp\t_TLi16
_TLi13:\tsbrs\tr19,0x01
\t\trjmp\t_TLi17
\t\tinc\t\tr17
\t\trjmp\t_TLi16
_TLi17:\tdec\t\tr17
_TLi16:\tdec\t\tr21
\t\tbrne\t_TLi7
\t\tret)");
}

}  // namespace qbc
