// Pixels, lines, boxes, circles, fills, inverse areas and the point read of the HD61202
// and SED1520 families, drawn through the family's write and read routines.
#include <string>

#include "compiler/library/display/page_glcd_routines.h"

namespace qbc {

// The pixel's byte is read, changed and written back; the colour in zl (0 clears).
void EmitPageGlcdPsetRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(
;////// Pset /////////////////////////////
{P}Ps:\tpush\tr17
\t\trcall\t{P}Pix
\t\ttst\t\tzl
\t\tbrne\t{P}Ps3
\t\tcom\t\tr22
\t\trcall\t{P}rd
\t\tand\t\tr0,r22
\t\trjmp\t{P}Ps4
{P}Ps3:\trcall\t{P}rd
\t\tor\t\tr0,r22
{P}Ps4:\trcall\t{P}wr
\t\tpop\t\tr17
\t\tret

)");
}

void EmitPageGlcdCalcPixRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(;////// Calculate Pix ////////////////////
{P}Pix:\tldi\t\tr22,0x01
\t\tmov\t\tzh,r17
\t\tlsr\t\tr17
\t\tlsr\t\tr17
\t\tlsr\t\tr17
\t\tandi\tzh,0x07
{P}Px1:\ttst\t\tzh
\t\tbreq\t{P}Px2
\t\tlsl\t\tr22
\t\tdec\t\tzh
\t\trjmp\t{P}Px1
{P}Px2:\tret)");
}

// An area whose last column or page lies before its first is empty: nothing is drawn
// (the counters would otherwise run round through 256).
void EmitPageGlcdInverseRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// GInverse /////////////////////////
{P}Inv:\tcp\t\tr21,r16
\t\tbrlo\t{P}In2
\t\tcp\t\tr22,r17
\t\tbrlo\t{P}In2
\t\tmov\t\tr14,r16
\t\tinc\t\tr21
\t\tinc\t\tr22
{P}In1:\trcall\t{P}rd
\t\tcom\t\tr0
\t\trcall\t{P}wr
\t\tinc\t\tr16
\t\tcp\t\tr16,r21
\t\tbrne\t{P}In1
\t\tmov\t\tr16,r14
\t\tinc\t\tr17
\t\tcp\t\tr17,r22
\t\tbrne\t{P}In1
{P}In2:\tret)");
}

void EmitPageGlcdFillRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// Gfill ////////////////////////////
{P}Cls:\tldi\t\tr16,0
\t\tldi\t\tr17,0
\t\tldi\t\tr21,{LASTCOL}
\t\tldi\t\tr22,{LASTPAGE}
\t\tclr\t\tzl
{P}FBo:\tcp\t\tr21,r16
\t\tbrlo\t{P}FB2
\t\tcp\t\tr22,r17
\t\tbrlo\t{P}FB2
\t\tmov\t\tr0,zl
\t\tmov\t\tr14,r16
\t\tinc\t\tr21
\t\tinc\t\tr22
{P}FB1:\trcall\t{P}wr
\t\tinc\t\tr16
\t\tcp\t\tr16,r21
\t\tbrne\t{P}FB1
\t\tmov\t\tr16,r14
\t\tinc\t\tr17
\t\tcp\t\tr17,r22
\t\tbrne\t{P}FB1
{P}FB2:\tret)");
}

// Both line routines draw every pixel between their two values, in either order and at
// any length; on return the moving coordinate is one past the larger value.
void EmitPageGlcdLineHRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// LineH ////////////////////////////
{P}LiH:\tcp\t\tr21,r16
\t\tbrsh\t{P}LH1
\t\tmov\t\tr22,r16
\t\tmov\t\tr16,r21
\t\tmov\t\tr21,r22
{P}LH1:\trcall\t{P}Ps
\t\tcp\t\tr16,r21
\t\tbreq\t{P}LH2
\t\tinc\t\tr16
\t\trjmp\t{P}LH1
{P}LH2:\tinc\t\tr16
\t\tret)");
}

void EmitPageGlcdLineVRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// LineV ////////////////////////////
{P}LiV:\tcp\t\tr21,r17
\t\tbrsh\t{P}LV1
\t\tmov\t\tr22,r17
\t\tmov\t\tr17,r21
\t\tmov\t\tr21,r22
{P}LV1:\trcall\t{P}Ps
\t\tcp\t\tr17,r21
\t\tbreq\t{P}LV2
\t\tinc\t\tr17
\t\trjmp\t{P}LV1
{P}LV2:\tinc\t\tr17
\t\tret)");
}

// The outline of the rectangle (r16, r17) to (r21, r22): top, left, right, bottom.
void EmitPageGlcdBoxRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// Box //////////////////////////////
{P}Box:\tmov\t\tr15,r16
\t\tmov\t\tr8,r21
\t\tmov\t\tr9,r22
\t\tmov\t\txh,r17
\t\trcall\t{P}LiH
\t\tmov\t\tr17,xh
\t\tmov\t\tr16,r15
\t\tmov\t\tr21,r9
\t\trcall\t{P}LiV
\t\tmov\t\tr17,xh
\t\tmov\t\tr16,r8
\t\tmov\t\tr21,r9
\t\trcall\t{P}LiV
\t\tmov\t\tr16,r15
\t\tmov\t\tr17,r9
\t\tmov\t\tr21,r8
\t\trcall\t{P}LiH
\t\tret)");
}

namespace {

// The eight points of the circle for offsets x (r14) and y (r15) around the centre (r8,
// r9); a point whose column or row leaves 0 to 255 is passed over, not wrapped.
std::string CirclePoints() {
  struct Point {
    const char* dx_op;
    const char* dx;
    const char* dy_op;
    const char* dy;
  };
  static const Point kPoints[] = {{"add", "r14", "add", "r15"}, {"add", "r14", "sub", "r15"},
                                  {"sub", "r14", "add", "r15"}, {"sub", "r14", "sub", "r15"},
                                  {"add", "r15", "add", "r14"}, {"add", "r15", "sub", "r14"},
                                  {"sub", "r15", "add", "r14"}, {"sub", "r15", "sub", "r14"}};
  std::string text = "\n{P}Cip:\tpush\tr22";
  int n = 1;
  for (const Point& p : kPoints) {
    const std::string skip = "{P}Cq" + std::to_string(n++);
    text += "\n\t\tmov\t\tr16,r8\n\t\t" + std::string(p.dx_op) + "\t\tr16," + p.dx + "\n\t\tbrcs\t" + skip +
            "\n\t\tmov\t\tr17,r9\n\t\t" + p.dy_op + "\t\tr17," + p.dy + "\n\t\tbrcs\t" + skip + "\n\t\trcall\t{P}Ps\n" +
            skip + ":";
  }
  return text + "\tpop\t\tr22\n\t\tret";
}

}  // namespace

// Midpoint circle: x (r14) from 0, y (r15) from the radius, the 16-bit decision value d
// in r22:r21 starting at 1 - radius. Each step adds 2 * r27:r19 + 1 to d: r19 is x while
// d is negative, x - y after y steps down too.
void EmitPageGlcdCircleRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, std::string(R"(

;////// Circle ///////////////////////////
{P}Cir:\tpush\tr19
\t\tmov\t\tr8,r16
\t\tmov\t\tr9,r17
\t\tclr\t\tr14
\t\tmov\t\tr15,r21
\t\trcall\t{P}Cip
\t\tclr\t\tr22
\t\tneg\t\tr21
\t\tsbci\tr22,0x00
\t\tsubi\tr21,byte1(-1)
\t\tsbci\tr22,byte2(-1)
{P}Ci3:\tcp\t\tr14,r15
\t\tbrlo\t{P}Ci4
\t\trjmp\t{P}Ci1
{P}Ci4:\tinc\t\tr14
\t\tmov\t\tr19,r14
\t\tclr\t\tr27
\t\tsbrc\tr22,0x07
\t\trjmp\t{P}Ci6
\t\tdec\t\tr15
\t\tsub\t\tr19,r15
\t\tsbci\tr27,0x00
{P}Ci6:\tlsl\t\tr19
\t\trol\t\tr27
\t\tadd\t\tr21,r19
\t\tadc\t\tr22,r27
\t\tsubi\tr21,byte1(-1)
\t\tsbci\tr22,byte2(-1)
\t\trcall\t{P}Cip
\t\trjmp\t{P}Ci3
{P}Ci1:\tpop\t\tr19
\t\tret)") + CirclePoints());
}

// Integer line from (r16, r17) to (r21, r22): the error accumulator starts at half the
// major distance; r19 bit 0 = x grows, bit 1 = y grows, bit 2 = x is the major axis.
void EmitPageGlcdLineRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// Line /////////////////////////////
{P}Lin:\tpush\tr19
\t\tcp\t\tr21,r16
\t\tbrlo\t{P}Li1
\t\tmov\t\tr8,r21
\t\tsub\t\tr8,r16
\t\tset
\t\tbld\t\tr19,0x00
\t\trjmp\t{P}Li2
{P}Li1:\tmov\t\tr8,r16
\t\tsub\t\tr8,r21
\t\tclt
\t\tbld\t\tr19,0x00
{P}Li2:\tcp\t\tr22,r17
\t\tbrlo\t{P}Li3
\t\tmov\t\tr9,r22
\t\tsub\t\tr9,r17
\t\tset
\t\tbld\t\tr19,0x01
\t\trjmp\t{P}Li4
{P}Li3:\tmov\t\tr9,r17
\t\tsub\t\tr9,r22
\t\tclt
\t\tbld\t\tr19,0x01
{P}Li4:\tcp\t\tr8,r9
\t\tbrlo\t{P}Li5
\t\tset
\t\tbld\t\tr19,0x02
\t\tmov\t\tr14,r8
\t\tmov\t\tr26,r8
\t\tlsr\t\tr26
\t\tclr\t\tr27
\t\tmov\t\tr15,r9
\t\tmov\t\tr22,r8
\t\trjmp\t{P}Li6
{P}Li5:\tclt
\t\tbld\t\tr19,0x02
\t\tmov\t\tr14,r9
\t\tmov\t\tr26,r9
\t\tlsr\t\tr26
\t\tclr\t\tr27
\t\tmov\t\tr15,r8
\t\tmov\t\tr22,r9
{P}Li6:\tmov\t\tr21,r22
\t\tinc\t\tr21
{P}Li7:\tpush\tr26
\t\trcall\t{P}Ps
\t\tpop\t\tr26
\t\tclr\t\tzh
\t\tadd\t\tr26,r15
\t\tadc\t\tr27,zh
\t\tcp\t\tr26,r14
\t\tcpc\t\tr27,zh
\t\tbrlo\t{P}Li12
\t\tsub\t\tr26,r14
\t\tsbc\t\tr27,zh
\t\tsbrs\tr19,2
\t\trjmp\t{P}Li10
\t\tsbrs\tr19,0x01
\t\trjmp\t{P}Li8
\t\tinc\t\tr17
\t\trjmp\t{P}Li12
{P}Li8:\tdec\t\tr17
\t\trjmp\t{P}Li12
{P}Li10:\tsbrs\tr19,0x00
\t\trjmp\t{P}Li11
\t\tinc\t\tr16
\t\trjmp\t{P}Li12
{P}Li11:\tdec\t\tr16
{P}Li12:\tsbrs\tr19,0x02
\t\trjmp\t{P}Li13
\t\tsbrs\tr19,0x00
\t\trjmp\t{P}Li14
\t\tinc\t\tr16
\t\trjmp\t{P}Li16
{P}Li14:\tdec\t\tr16
\t\trjmp\t{P}Li16
{P}Li13:\tsbrs\tr19,0x01
\t\trjmp\t{P}Li17
\t\tinc\t\tr17
\t\trjmp\t{P}Li16
{P}Li17:\tdec\t\tr17
{P}Li16:\tdec\t\tr21
\t\tbrne\t{P}Li7
\t\tpop\t\tr19
\t\tret)");
}

// The display byte that holds the pixel (r16, r17), in zl.
void EmitPageGlcdPointRoutine(CompilerState& st, int type) {
  WritePageGlcdText(st, type, R"(

;////// Point ////////////////////////////
{P}Pnt:\tpush\tr17
\t\trcall\t{P}Pix
\t\trcall\t{P}rd
\t\tmov\t\tzl,r0
\t\tpop\t\tr17
\t\tret)");
}

}  // namespace qbc
