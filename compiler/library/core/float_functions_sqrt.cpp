// Square root of the float library.
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fsqrt: correctly rounded, digit by digit. A = x * 4^h with x in [1, 4) (a subnormal A
// is normalised first); the root of x is built one bit at a time from 1, 25 bits down to
// 2^-24, and the last bit rounds (the exact root never lies halfway between two floats,
// so no sticky bit is needed). The root's exponent field is h + 127.
//
// Fixed point with 2^-24 in bit 0: the remainder R = (x - r^2) * 2^i in r21..r18 and
// T = 2r in r25..r22, where r holds the i bits found so far. A step doubles R and tries
// T + m (m, in xl:zh:zl, the bit being tried, which lies below the bits of 2r); when it
// fits, it is taken off R and T becomes 2r + 2m (adding m again carries m one place up).
// One loop of 24 steps, m leaving zl ends it.
//
// -0 and +0 give +0; every other negative operand, infinity and NaN give NaN. The rare
// paths (sign, zero and subnormal, NaN) stand before the entry, within branch reach.
void EmitFloatSqrtRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fsqr8: or      xh,r24
        or      xh,r23
        or      xh,r22
        brne    _Fsqr9
_Fsqr7: rjmp    _Fclr
_Fsqr9: rjmp    _Fnan
_Fsqr6: lsr     r24
        mov     xl,r24
        or      xl,r23
        or      xl,r22
        breq    _Fsqr7
_Fsqr4: dec     xh
        lsl     r22
        rol     r23
        rol     r24
        brpl    _Fsqr4
        asr     xh
        rjmp    _Fsqr1
_Fsqrt: mov     xh,r25
        lsl     r24
        rol     xh
        brcs    _Fsqr8
        breq    _Fsqr6
        cpi     xh,0xFF
        breq    _Fsqr9
        sec
        ror     r24
        dec     xh
        lsr     xh
_Fsqr1: mov     r18,r22
        mov     r19,r23
        mov     r20,r24
        clr     r21
        brcc    _Fsqr2
        lsl     r18
        rol     r19
        rol     r20
        rol     r21
_Fsqr2: lsl     r18
        rol     r19
        rol     r20
        rol     r21
        dec     r21
        ldi     r25,0x02
        clr     r24
        clr     r23
        clr     r22
        clr     r7
        clr     zl
        clr     zh
        ldi     xl,0x80
_Fsq21: lsl     r18
        rol     r19
        rol     r20
        rol     r21
        or      r22,zl
        or      r23,zh
        or      r24,xl
        sub     r18,r22
        sbc     r19,r23
        sbc     r20,r24
        sbc     r21,r25
        brcs    _Fsq22
        add     r22,zl
        adc     r23,zh
        adc     r24,xl
        adc     r25,r7
        rjmp    _Fsq23
_Fsq22: add     r18,r22
        adc     r19,r23
        adc     r20,r24
        adc     r21,r25
        eor     r22,zl
        eor     r23,zh
        eor     r24,xl
_Fsq23: lsr     xl
        ror     zh
        ror     zl
        brcc    _Fsq21
_Fsqr3: subi    r22,0xFE
        sbci    r23,0xFF
        sbci    r24,0xFF
        sbci    r25,0xFF
        lsr     r25
        ror     r24
        ror     r23
        ror     r22
        lsr     r25
        ror     r24
        ror     r23
        ror     r22
        subi    xh,0xC0
        lsl     r24
        mov     r25,xh
        lsr     r25
        ror     r24
        clr     r7
        ret)");
}

}  // namespace qbc
