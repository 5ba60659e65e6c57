#include "compiler/library/core/int_divide.h"

namespace qbc {

void EmitDiv8uRoutine(CompilerState& st) {
  // Whole blank-padded lines. Nine passes, the first of which only shifts; the quotient
  // bits enter r24 inverted and are complemented at the end.
  st.out.Line();
  st.out.Text(R"(
;////// 8/8 unsigned division /////////////
Div8u:  Sub     r22,r22
        ldi     r23,0x09
        rjmp    Div81
Div80:  rol     r22
        cp      r22,zl
        brcs    Div81
        Sub     r22,zl
Div81:  rol     r24
        dec     r23
        brne    Div80
        Com     r24
        mov     zl,r24
        ret)");
}

void EmitDi16uRoutine(CompilerState& st) {
  // Restoring division, 17 passes: a quotient bit is set with sec when the trial
  // subtraction fits and cleared with clc after the divisor has been added back.
  st.out.Line();
  st.out.Text(R"(
;////// 16/16 unsigned division ///////////
Di16u:\tmov\t\tr22,zl
\t\tmov\t\tr23,zh
\t\tmov\t\tzl,r24
\t\tmov\t\tzh,r25
\t\tclr\t\tr24
\t\tsub\t\tr25,r25
\t\tldi\t\tr20,0x11
d16u1:\trol\t\tzl
\t\trol\t\tzh
\t\tdec\t\tr20
\t\tbrne\td16u2
\t\tret
d16u2:\trol\t\tr24
\t\trol\t\tr25
\t\tsub\t\tr24,r22
\t\tsbc\t\tr25,r23
\t\tbrcc\td16u3
\t\tadd\t\tr24,r22
\t\tadc\t\tr25,r23
\t\tclc
\t\trjmp\td16u1
d16u3:\tsec
\t\trjmp\td16u1)");
}

void EmitDi16sRoutine(CompilerState& st) {
  // Di16u on the magnitudes; bit 7 of r21 (sign of dividend xor sign of divisor) decides
  // whether the quotient is negated. Negation: complement, then add one by subtracting -1.
  st.out.Line();
  st.out.Text(R"(
;////// 16/16 signed division /////////////
Di16s:\tmov\t\tr22,zl
\t\tmov\t\tr23,zh
\t\tmov\t\tzl,r24
\t\tmov\t\tzh,r25
\t\tmov\t\tr21,zh
\t\teor\t\tr21,r23
\t\tsbrs\tzh,0x07
\t\trjmp\td16s1
\t\tcom\t\tzh
\t\tcom\t\tzl
\t\tsubi\tzl,byte1(-0x01)
\t\tsbci\tzh,byte2(-0x01)
d16s1:\tsbrs\tr23,0x07
\t\trjmp\td16s2
\t\tcom\t\tr23
\t\tcom\t\tr22
\t\tsubi\tr22,byte1(-0x01)
\t\tsbci\tr23,byte2(-0x01)
d16s2:\tclr\t\tr24
\t\tsub\t\tr25,r25
\t\tldi\t\tr20,0x11
d16s3:\trol\t\tzl
\t\trol\t\tzh
\t\tdec\t\tr20
\t\tbrne\td16s5
\t\tsbrs\tr21,7
\t\trjmp\td16s4
\t\tcom\t\tzh
\t\tcom\t\tzl
\t\tsubi\tzl,byte1(-0x01)
\t\tsbci\tzh,byte2(-0x01)
d16s4:\tret
d16s5:\trol\t\tr24
\t\trol\t\tr25
\t\tsub\t\tr24,r22
\t\tsbc\t\tr25,r23
\t\tbrcc\td16s6
\t\tadd\t\tr24,r22
\t\tadc\t\tr25,r23
\t\tclc
\t\trjmp\td16s3
d16s6:\tsec
\t\trjmp\td16s3)");
}

void EmitDiv32Routine(CompilerState& st) {
  // Di16s widened to four bytes: divisor to r23:r22:r21:r20, dividend to r19:r18:zh:zl,
  // the quotient's sign in bit 7 of r7, 33 passes counted in r26.
  st.out.Line();
  st.out.Text(R"(
;////// 32/32 signed division /////////////
Div32:\tmov\t\tr20,zl
\t\tmov\t\tr21,zh
\t\tmov\t\tr22,r18
\t\tmov\t\tr23,r19
\t\tmov\t\tzl,r24
\t\tmov\t\tzh,r25
\t\tmov\t\tr18,r16
\t\tmov\t\tr19,r17
\t\tmov\t\tr7,r19
\t\teor\t\tr7,r23
\t\tsbrs\tr19,0x07
\t\trjmp\td32s1
\t\tcom\t\tzh
\t\tcom\t\tzl
\t\tcom\t\tr18
\t\tcom\t\tr19
\t\tsubi\tzl,byte1(-0x01)
\t\tsbci\tzh,byte2(-0x01)
\t\tsbci\tr18,byte3(-0x01)
\t\tsbci\tr19,byte4(-0x01)
d32s1:\tsbrs\tr23,0x07
\t\trjmp\td32s2
\t\tcom\t\tr23
\t\tcom\t\tr22
\t\tcom\t\tr21
\t\tcom\t\tr20
\t\tsubi\tr20,byte1(-0x01)
\t\tsbci\tr21,byte2(-0x01)
\t\tsbci\tr22,byte3(-0x01)
\t\tsbci\tr23,byte4(-0x01)
d32s2:\tclr\t\tr24
\t\tclr\t\tr25
\t\tclr\t\tr16
\t\tsub\t\tr17,r17
\t\tldi\t\tr26,0x21
d32s3:\trol\t\tzl
\t\trol\t\tzh
\t\trol\t\tr18
\t\trol\t\tr19
\t\tdec\t\tr26
\t\tbrne\td32s5
\t\tsbrs\tr7,0x07
\t\trjmp\td32s4
\t\tcom\t\tzh
\t\tcom\t\tzl
\t\tcom\t\tr18
\t\tcom\t\tr19
\t\tsubi\tzl,byte1(-0x01)
\t\tsbci\tzh,byte2(-0x01)
\t\tsbci\tr18,byte3(-0x01)
\t\tsbci\tr19,byte4(-0x01)
d32s4:\tret
d32s5:\trol\t\tr24
\t\trol\t\tr25
\t\trol\t\tr16
\t\trol\t\tr17
\t\tsub\t\tr24,r20
\t\tsbc\t\tr25,r21
\t\tsbc\t\tr16,r22
\t\tsbc\t\tr17,r23
\t\tbrcc\td32s6
\t\tadd\t\tr24,r20
\t\tadc\t\tr25,r21
\t\tadc\t\tr16,r22
\t\tadc\t\tr17,r23
\t\tclc
\t\trjmp\td32s3
d32s6:\tsec
\t\trjmp\td32s3)");
}

}  // namespace qbc
