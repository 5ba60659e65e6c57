// Power, exponential and logarithms of the float library, with their coefficient tables.
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fpow: A to the power B. B = 0 gives 1.0; A = 0 gives 0 for B > 0 and NaN for B < 0;
// A > 0 gives exp(B * ln A). A negative base needs a whole exponent: |A| ^ B, negative
// when B is odd; a fractional exponent gives NaN. The integer test shifts B's mantissa
// right until the units bit is its lowest bit, collecting the bits shifted out.
void EmitFloatPowRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fpow:  mov     xl,r21
        andi    xl,0x7F
        brne    _Fpw1
        sbrs    r20,7
        rjmp    _Fpw9
_Fpw1:  mov     xl,r25
        andi    xl,0x7F
        brne    _Fpw2
        sbrc    r24,7
        rjmp    _Fpw2
        sbrc    r21,7
        rjmp    _Fnan
        rjmp    _Fclr
_Fpw9:  ldi     r25,0x3F
        ldi     r24,0x80
        clr     r23
        clr     r22
        ret
_Fpw2:  sbrs    r25,7
        rjmp    _Fpw5
        push    r18
        push    r19
        push    r20
        push    r21
        clr     xh
        mov     xl,r20
        lsl     xl
        rol     r21
        ori     r20,0x80
        cpi     r21,0x97
        brsh    _Fpw4
        cpi     r21,0x7F
        brlo    _Fpw8
        clr     zl
        clr     zh
        subi    r21,0x96
        breq    _Fpw6
_Fpw3:  lsr     r20
        ror     r19
        ror     r18
        adc     zl,zh
        inc     r21
        brne    _Fpw3
        tst     zl
        brne    _Fpw8
_Fpw6:  sbrc    r18,0
        ldi     xh,0x80
_Fpw4:  pop     r21
        pop     r20
        pop     r19
        pop     r18
        andi    r25,0x7F
        push    xh
        rcall   _Fpw5
        pop     xh
        eor     r25,xh
        ret
_Fpw8:  pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fnan
_Fpw5:  push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Fln
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fmul
        rjmp    _Fexp)");
}

// _Fexp: e^A = 2^(|A| log2 e), split into 2^n (exponent arithmetic) and 2^f (_FtblExp);
// the reciprocal for a negative A. A >= 88.72284 (and NaN) gives NaN, A <= -87.33655
// gives 0. _Fmodf stores the integer part n straight into r12..r15 (data address 0x0C).
void EmitFloatExpRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fexp:  push    r12
        push    r13
        push    r14
        push    r15
        sbrc    r25,7
        rjmp    _Fexp1
        ldi     r18,0x18
        ldi     r19,0x72
        ldi     r20,0xB1
        ldi     r21,0x42
        rjmp    _Fexp2
_Fexp1: ldi     r18,0x50
        ldi     r19,0xAC
        ldi     r20,0xAE
        ldi     r21,0x42
_Fexp2: push    r25
        andi    r25,0x7F
        cp      r22,r18
        cpc     r23,r19
        cpc     r24,r20
        cpc     r25,r21
        brlo    _Fexp3
        pop     r0
        cpi     r25,0x7F
        brne    _Fexp0
        sbrc    r24,7
        rjmp    _Fexp9
_Fexp0: sbrs    r0,7
        rjmp    _Fexp9
        rcall   _Fclr
        rjmp    _Fexp8
_Fexp3: ldi     r18,0x3B
        ldi     r19,0xAA
        ldi     r20,0xB8
        ldi     r21,0x3F
        rcall   _Fmul
        ldi     r20,0x0C
        clr     r21
        rcall   _Fmodf)");
  EmitFloatTableAddress(st, "_FtblExp");
  st.out.Text(R"(
        rcall   _Fpot
        clr     r20
        tst     r15
        breq    _Fexp5
        mov     r19,r14
        lsl     r19
        mov     r18,r15
        rol     r18
        mov     r20,r14
        ori     r20,0x80
        ldi     r19,0x86
        sub     r19,r18
        breq    _Fexp5
_Fexp4: lsr     r20
        dec     r19
        brne    _Fexp4
_Fexp5: lsl     r24
        rol     r25
        add     r25,r20
        brcs    _Fexp7
        cpi     r25,0xFF
        breq    _Fexp7
        lsr     r25
        ror     r24
        pop     r0
        sbrc    r0,7
        rcall   _Finv
        rjmp    _Fexp8
_Fexp7: pop     r0
_Fexp9: rcall   _Fnan
_Fexp8: pop     r15
        pop     r14
        pop     r13
        pop     r12
        ret

_FtblExp:
.db 0x06, 0x72, 0x65, 0x2C, 0x03, 0x75
.db 0x22, 0x3B, 0x59, 0x78, 0x1E, 0xBA
.db 0xE0, 0x7A, 0x63, 0x3B, 0xF4, 0x7C
.db 0x75, 0xff, 0x4E, 0x7E, 0x31, 0x72
.db 0x11, 0x7F, 0x00, 0x00, 0x00, 0x00)");
}

// _Fln: ln A = ln m + (e - 126) ln 2 with A = m * 2^(e - 126), 0.5 <= m < 1, ln m the
// quotient of the two polynomials of _FtblLn. A <= 0 and NaN give NaN. A power of two is
// (e - 127) ln 2 directly: the quotient at m = 0.5 misses -ln 2 by one unit, which made
// ln 1 = -6e-8 and every power of 1 (and of -1) drift away from 1 for large exponents.
// _Flog: ln A / ln 10.
void EmitFloatLogRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Flog:  rcall   _Fln
        ldi     r18,0x8E
        ldi     r19,0x5D
        ldi     r20,0x13
        ldi     r21,0x40
        rjmp    _Fdiv
_Fln:   sbrc    r25,7
        rjmp    _Fnan
        mov     r20,r24
        lsl     r20
        mov     r21,r25
        rol     r21
        breq    _Fln1
        cpi     r21,0xFF
        brne    _Fln2
_Fln1:  rjmp    _Fnan
_Fln2:  mov     xl,r24
        andi    xl,0x7F
        or      xl,r23
        or      xl,r22
        brne    _Fln3
        mov     r22,r21
        clr     r23
        subi    r22,0x7F
        sbci    r23,0x00
        mov     r24,r23
        mov     r25,r23
        rcall   _Fs2f
        ldi     r18,0x18
        ldi     r19,0x72
        ldi     r20,0x31
        ldi     r21,0x3F
        rjmp    _Fmul
_Fln3:  push    r21
        ldi     r25,0x3F
        andi    r24,0x7F)");
  EmitFloatTableAddress(st, "_FtblLn");
  st.out.Text(R"(
        rcall   _Fpot
        pop     r21
        push    r22
        push    r23
        push    r24
        push    r25
        mov     r22,r21
        clr     r23
        subi    r22,0x7E
        sbci    r23,0x00
        mov     r24,r23
        mov     r25,r23
        rcall   _Fs2f
        ldi     r18,0x18
        ldi     r19,0x72
        ldi     r20,0x31
        ldi     r21,0x3F
        rcall   _Fmul
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fadd

_FtblLn:
.db 0x05,0x81,0x35,0x04,0xF4,0x83,0x20,0x00,0x01,0x83
.db 0x62,0x46,0x32,0x83,0x20,0x00,0x00,0x81,0x62,0x46
.db 0x30,0x7F,0x00,0x00,0x00,0x05,0x82,0x77,0x8C,0x4F
.db 0x81,0x43,0x2C,0xE2,0x82,0x17,0xBF,0x24,0x83,0xA4
.db 0x8D,0xD9,0x81,0xE1,0xD8,0xA1,0x80,0xDB,0x67,0x82)");
}

}  // namespace qbc
