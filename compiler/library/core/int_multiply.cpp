#include "compiler/library/core/int_multiply.h"

namespace qbc {

void EmitMpy8uRoutine(CompilerState& st) {
  if (st.dev.HardwareMultiplier) {
    // Three lines, no header: the hardware product of zl and r24 in zh:zl.
    st.out.Text(R"(
Mpy8u:\tmul\t\tzl,r24
\t\tmovw\tzl,r0
\t\tret)");
    return;
  }
  // Eight shift-and-add passes; the multiplicand r24 is added into zh when the bit shifted
  // out of the multiplier is set, then zh:zl moves right. zh is the caller's and is kept.
  st.out.Line();
  st.out.Text(R"(
;////// 8x8 unsigned multiplay ////////////
Mpy8u:\tpush\tzh
\t\tclr\t\tzh
\t\tldi\t\tr19,0x08
\t\tlsr\t\tzl
m8u1:\tbrcc\tm8u2
\t\tadd\t\tzh,r24
m8u2:\tror\t\tzh
\t\tror\t\tzl
\t\tdec\t\tr19
\t\tbrne\tm8u1
\t\tpop\t\tzh
\t\tret)");
}

void EmitMp16HardwareRoutine(CompilerState& st) {
  // On chips with the multiplier both 16-bit multiply emitters come here; the label may stand in
  // the program once only.
  if (st.sym.Mp16uWritten) return;
  st.sym.Mp16uWritten = true;
  // Low 16 bits from three byte products: zl*r24 whole, the low bytes of zl*r25 and
  // zh*r24 added into the high byte.
  st.out.Line();
  st.out.Text(R"(
;////// 16x16 hardware multiplay /////////
Mp16u:\tmul\t\tzl,r24
\t\tmovw\tr22,r0
\t\tmul\t\tzl,r25
\t\tadd\t\tr23,r0
\t\tmul\t\tzh,r24
\t\tadd\t\tr23,r0
\t\tmovw\tzl,r22
\t\tret)");
}

void EmitMp16uRoutine(CompilerState& st) {
  if (st.dev.HardwareMultiplier) {
    EmitMp16HardwareRoutine(st);
    return;
  }
  if (st.sym.Mp16uWritten) return;
  st.sym.Mp16uWritten = true;
  // Sixteen shift-and-add passes: the product builds up in r23:r22:zh:zl while the
  // multiplier is shifted out of zh:zl.
  st.out.Line();
  st.out.Text(R"(
;////// 16x16 unsigned multiplay //////////
Mp16u:\tclr\t\tr23
\t\tclr\t\tr22
\t\tldi\t\tr21,0x10
\t\tlsr\t\tzh
\t\tror\t\tzl
m16u1:\tbrcc\tm16u2
\t\tadd\t\tr22,r24
\t\tadc\t\tr23,r25
m16u2:\tror\t\tr23
\t\tror\t\tr22
\t\tror\t\tzh
\t\tror\t\tzl
\t\tdec\t\tr21
\t\tbrne\tm16u1
\t\tret)");
}

void EmitMp16sRoutine(CompilerState& st) {
  if (st.dev.HardwareMultiplier) {
    // The low 16 bits of the unsigned hardware product equal the signed product's.
    EmitMp16HardwareRoutine(st);
    return;
  }
  // Sixteen Booth passes: the multiplicand is added to r23:r22 when the bit shifted out
  // last is set and subtracted when bit 0 of zl is set, then r23:r22:zh:zl moves right
  // arithmetically.
  //
  // A 16-bit accumulator cannot hold the partial sums when the multiplicand is -32768:
  // the passes then compute the product with +32768, the exact negation of the signed
  // product (the low 16 bits agree, the high 16 do not). The tail negates the 32-bit
  // result in that one case; r21 is 0 when the loop ends.
  st.out.Line();
  st.out.Text(R"(
;////// 16x16 signed multiplay ////////////
Mp16s:\tclr\t\tr23
\t\tsub\t\tr22,r22
\t\tldi\t\tr21,0x10
m16s1:\tbrcc\tm16s2
\t\tadd\t\tr22,r24
\t\tadc\t\tr23,r25
m16s2:\tsbrc\tzl,0
\t\tsub\t\tr22,r24
\t\tsbrc\tzl,0
\t\tsbc\t\tr23,r25
\t\tasr\t\tr23
\t\tror\t\tr22
\t\tror\t\tzh
\t\tror\t\tzl
\t\tdec\t\tr21
\t\tbrne\tm16s1
\t\tcpi\t\tr25,0x80
\t\tcpc\t\tr24,r21
\t\tbrne\tm16s3
\t\tcom\t\tr23
\t\tcom\t\tr22
\t\tcom\t\tzh
\t\tcom\t\tzl
\t\tsubi\tzl,byte1(-0x01)
\t\tsbci\tzh,byte2(-0x01)
\t\tsbci\tr22,byte3(-0x01)
\t\tsbci\tr23,byte4(-0x01)
m16s3:\tret)");
}

void EmitMul32HardwareRoutine(CompilerState& st) {
  // The low 32 bits of the product, accumulated in r23:r22:r21:r20 from the ten byte
  // products whose byte positions add up to at most 3 (a = r19:r18:zh:zl, b =
  // r17:r16:r25:r24). The carry out of the second position-1 sum belongs in r23, which is
  // still 0 there: "adc r23,r23" adds just that carry.
  st.out.Line();
  st.out.Text(R"(
;////// 32x32 hardware multiplay /////////
Mul32:\tclr\t\tr22
\t\tclr\t\tr23
\t\tmul\t\tzl,r24
\t\tmovw\tr20,r0
\t\tmul\t\tzl,r25
\t\tadd\t\tr21,r0
\t\tadc\t\tr22,r1
\t\tmul\t\tzh,r24
\t\tadd\t\tr21,r0
\t\tadc\t\tr22,r1
\t\tadc\t\tr23,r23
\t\tmul\t\tzl,r16
\t\tadd\t\tr22,r0
\t\tadc\t\tr23,r1
\t\tmul\t\tzh,r25
\t\tadd\t\tr22,r0
\t\tadc\t\tr23,r1
\t\tmul\t\tr24,r18
\t\tadd\t\tr22,r0
\t\tadc\t\tr23,r1
\t\tmul\t\tzl,r17
\t\tadd\t\tr23,r0
\t\tmul\t\tzh,r16
\t\tadd\t\tr23,r0
\t\tmul\t\tr25,r18
\t\tadd\t\tr23,r0
\t\tmul\t\tr24,r19
\t\tadd\t\tr23,r0
\t\tmovw\tzl,r20
\t\tmovw\tr18,r22
\t\tret)");
}

void EmitMul32Routine(CompilerState& st) {
  if (st.dev.HardwareMultiplier) {
    EmitMul32HardwareRoutine(st);
    return;
  }
  // The Booth form of Mp16s widened to four bytes: 32 passes, the 64-bit product building
  // up in r6:r23:r22:r21:r19:r18:zh:zl. r6 holds the end value of an open For loop, so it
  // is saved around the routine; callers take only the low 32 bits.
  st.out.Line();
  st.out.Text(R"(
;////// 32x32 signed multiplay ////////////
Mul32:\tpush\tr6
\t\tclr\t\tr6
\t\tclr\t\tr23
\t\tclr\t\tr22
\t\tsub\t\tr21,r21
\t\tldi\t\tr20,0x20
m32s1:\tbrcc\tm32s2
\t\tadd\t\tr21,r24
\t\tadc\t\tr22,r25
\t\tadc\t\tr23,r16
\t\tadc\t\tr6,r17
m32s2:\tsbrc\tzl,0
\t\tsub\t\tr21,r24
\t\tsbrc\tzl,0
\t\tsbc\t\tr22,r25
\t\tsbrc\tzl,0
\t\tsbc\t\tr23,r16
\t\tsbrc\tzl,0
\t\tsbc\t\tr6,r17
\t\tasr\t\tr6
\t\tror\t\tr23
\t\tror\t\tr22
\t\tror\t\tr21
\t\tror\t\tr19
\t\tror\t\tr18
\t\tror\t\tzh
\t\tror\t\tzl
\t\tdec\t\tr20
\t\tbrne\tm32s1
\t\tpop\t\tr6
\t\tret)");
}

}  // namespace qbc
