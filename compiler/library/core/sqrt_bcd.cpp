#include "compiler/library/core/sqrt_bcd.h"

#include <string>

namespace qbc {

// Twelve passes of two bits over r23:zh:zl, the remainder in xh:xl:r23 compared with the
// root r25:r24 followed by 0x40. r23 is the byte above the radicand and must start at 0,
// so the routine clears it itself. At the end xh:xl holds x - r*r and r25:r24 the root r;
// one is added when the remainder exceeds r (the root to the nearest integer). Both
// bytes take part in that test: the remainder reaches 2r, above 255 once r passes 127.
void EmitSqr16Routine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Sqr16 ////////////////////////////
_Sqr16:\tldi\t\tr21,0x01
\t\tldi\t\tr22,0x0c
\t\tclr\t\tr23
\t\tclr\t\txl
\t\tclr\t\txh
\t\tclr\t\tr24
\t\tclr\t\tr25
_Sqr11:\tcpi\t\tr23,0x40
\t\tcpc\t\txl,r24
\t\tcpc\t\txh,r25
\t\tbrcs\t_Sqr12
\t\tsubi\tr23,0x40
\t\tsbc\t\txl,r24
\t\tsbc\t\txh,r25
_Sqr12:\trol\t\tr24
\t\trol\t\tr25
\t\teor\t\tr24,r21
\t\tlsl\t\tzl
\t\trol\t\tzh
\t\trol\t\tr23
\t\trol\t\txl
\t\trol\t\txh
\t\tlsl\t\tzl
\t\trol\t\tzh
\t\trol\t\tr23
\t\trol\t\txl
\t\trol\t\txh
\t\tdec\t\tr22
\t\tbrne\t_Sqr11
\t\tcp\t\tr24,xl
\t\tcpc\t\tr25,xh
\t\tadc\t\tzl,r24
\t\tadc\t\tzh,r25
\t\tret)");
}

// Sixteen passes; each moves two radicand bits into the remainder r16:r25:r24, doubles
// the root r22:r21 and subtracts the trial value 4 * root + 1 when the remainder is not
// below it. The trial value needs 17 bits in the last passes (radicands from 2^30 up),
// so its third byte is r23, cleared on every pass; no outside register is read as zero.
// The remainder never exceeds 8 * root + 3 < 2^19, so three bytes hold it.
void EmitSqr32Routine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Sqr32 ////////////////////////////
_Sqr32:\tldi\t\tr20,0x10
\t\tclr\t\tr16
\t\tclr\t\tr21
\t\tclr\t\tr22
\t\tclr\t\tr24
\t\tclr\t\tr25
_Sqr31:\tlsl\t\tzl
\t\trol\t\tzh
\t\trol\t\tr18
\t\trol\t\tr19
\t\trol\t\tr24
\t\trol\t\tr25
\t\trol\t\tr16
\t\tlsl\t\tzl
\t\trol\t\tzh
\t\trol\t\tr18
\t\trol\t\tr19
\t\trol\t\tr24
\t\trol\t\tr25
\t\trol\t\tr16
\t\tlsl\t\tr21
\t\trol\t\tr22
\t\tmov\t\txl,r21
\t\tmov\t\txh,r22
\t\tclr\t\tr23
\t\tlsl\t\txl
\t\trol\t\txh
\t\trol\t\tr23
\t\tadiw\txl,0x01
\t\tcp\t\tr24,xl
\t\tcpc\t\tr25,xh
\t\tcpc\t\tr16,r23
\t\tbrcs\t_Sqr33
\t\tsub\t\tr24,xl
\t\tsbc\t\tr25,xh
\t\tsbc\t\tr16,r23
\t\tldi\t\txl,0xff
\t\tsub\t\tr21,xl
\t\tsbc\t\tr22,xl
_Sqr33:\tdec\t\tr20
\t\tbrne\t_Sqr31
\t\tmov\t\tzl,r21
\t\tmov\t\tzh,r22
\t\tret)");
}

void EmitIntToLongRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Int To Long //////////////////////
_I2L:\tsbrc\tzh,0x07
\t\trjmp\t_I2L1
\t\tclr\t\tr18
\t\tclr\t\tr19
\t\trjmp\t_I2L2
_I2L1:\tser\t\tr18
\t\tser\t\tr19
_I2L2:\tret)");
}

void EmitIntToLongR16Routine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Int To Long //////////////////////
_I2Lo:\tsbrc\tr25,0x07
\t\trjmp\t_I2L1o
\t\tclr\t\tr16
\t\tclr\t\tr17
\t\trjmp\t_I2L2o
_I2L1o:\tser\t\tr16
\t\tser\t\tr17
_I2L2o:\tret)");
}

// _Bcd and _FBcd call Div8u and Mpy8u through the device's call mnemonic: the link step
// writes the arithmetic routines far behind these two (graphic LCD drivers and the
// number conversions stand between), beyond the reach of rcall on large devices.
void EmitBcdRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Bcd ///////////////////////////////
_Bcd:\tmov\t\tr24,zl
\t\tldi\t\tzl,0x0a)");
  st.out.Instr(Sep::kNarrow, st.mn.CallMnemonic, "Div8u");
  st.out.Text(R"(
\t\tswap\tzl
\t\tor\t\tzl,r22
\t\tret)");
}

void EmitFromBcdRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// FromBcd //////////////////////////
_FBcd:\tpush\tzl
\t\tandi\tzl,0xf0
\t\tswap\tzl
\t\tldi\t\tr24,0x0a)");
  st.out.Instr(Sep::kNarrow, st.mn.CallMnemonic, "Mpy8u");
  st.out.Text(R"(
\t\tmov\t\tr24,zl
\t\tpop\t\tzl
\t\tandi\tzl,0x0f
\t\tadd\t\tzl,r24
\t\tret)");
}

}  // namespace qbc
