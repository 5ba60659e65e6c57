// Sine, cosine and tangent of the float library (radians), with their tables, and the
// reduction to a quadrant that the three share.
#include "compiler/base/flags/float_flags.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fsin, _Fcos: |x| = k pi/2 + r (_Fquad, r16 counting the quadrant), then the kernel of
// the quadrant: sin r = r + S(u) u r (_FtblSin, through _Fodd) for an even quadrant,
// cos r = C(u) (_FtblCos, the whole polynomial in u = r^2) for an odd one, negated in
// quadrants 2 and 3. The cosine is the sine one quadrant on (r16 starts at 1) of |x|; the
// sine works on |x| and takes x's sign (r17) last, so sin(-x) = -sin x and cos(-x) = cos x
// bit for bit. Below 2^-13, sin x = x and cos x = 1 (the next terms are below half a
// unit). NaN gives NaN.
void EmitFloatSinCosRoutine(CompilerState& st) {
  // _Fquad comes later in the link order.
  st.used.Set(NeedFquad);
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fcos:  andi    r25,0x7F
        cpi     r25,0x39
        brsh    _Fcs1
        ldi     r25,0x3F
        ldi     r24,0x80
        clr     r23
        clr     r22
        ret
_Fcs1:  push    r16
        push    r17
        ldi     r16,0x01
        clr     r17
        rjmp    _Fsn1
_Fsin:  mov     xl,r25
        andi    xl,0x7F
        cpi     xl,0x39
        brlo    _Fsn9
        push    r16
        push    r17
        clr     r16
        mov     r17,r25
        andi    r17,0x80
        mov     r25,xl
_Fsn1:  cpi     r25,0x7F
        brne    _Fsn2
        sbrs    r24,7
        rjmp    _Fsn2
        rcall   _Fnan
        rjmp    _Fsn8
_Fsn2:  rcall   _Fquad
        add     r16,xl
        sbrc    r16,0
        rjmp    _Fsn3)");
  EmitFloatTableAddress(st, "_FtblSin");
  EmitFloatFunctionText(st, R"(
        rcall   _Fodd
        rjmp    _Fsn4
_Fsn3:  rcall   _Fpow2)");
  EmitFloatTableAddress(st, "_FtblCos");
  EmitFloatFunctionText(st, R"(
        rcall   _Fpot
_Fsn4:  sbrc    r16,1
        subi    r25,0x80
        eor     r25,r17
_Fsn8:  pop     r17
        pop     r16
_Fsn9:  ret

_FtblSin:
.db 0x02, 0x72, 0xCC, 0x74, 0x64, 0x78, 0x08, 0x83
.db 0x30, 0x7C, 0xAA, 0xAA, 0xA2, 0x00

_FtblCos:
.db 0x04, 0x6F, 0x4D, 0x2B, 0x87, 0x75, 0xB6, 0x07
.db 0x18, 0x7A, 0x2A, 0xAA, 0xA7, 0x7E, 0x80, 0x00
.db 0x00, 0x7F, 0x00, 0x00, 0x00, 0x00)");
}

// _Ftan: tan r = r + N(u)/D(u) u r (_FtblTan: D, then N) on the quadrant's r, and
// -1 / tan r in the odd quadrants, where an r below 2^-24 gives NaN (x within a few 1e-8
// of a pole, tan x beyond 2^24: pi/2 itself, 90 degrees). Worked on |x|, x's sign (r17)
// last; below 2^-13 tan x = x.
void EmitFloatTanRoutine(CompilerState& st) {
  st.used.Set(NeedFquad);
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Ftan:  mov     xl,r25
        andi    xl,0x7F
        cpi     xl,0x39
        brlo    _Ftn9
        push    r16
        push    r17
        clr     r16
        mov     r17,r25
        andi    r17,0x80
        mov     r25,xl
        cpi     r25,0x7F
        brne    _Ftn1
        sbrc    r24,7
        rjmp    _Ftn7
_Ftn1:  rcall   _Fquad
        add     r16,xl)");
  EmitFloatTableAddress(st, "_FtblTan");
  EmitFloatFunctionText(st, R"(
        sbrs    r16,0
        rjmp    _Ftn2
        mov     xh,r25
        andi    xh,0x7F
        cpi     r24,0x80
        ldi     xl,0x33
        cpc     xh,xl
        brlo    _Ftn7
_Ftn2:  rcall   _Fodd
        sbrs    r16,0
        rjmp    _Ftn3
        rcall   _Finv
        subi    r25,0x80
_Ftn3:  eor     r25,r17
        pop     r17
        pop     r16
_Ftn9:  ret
_Ftn7:  rcall   _Fnan
        pop     r17
        pop     r16
        ret

_FtblTan:
.db 0x01, 0x7D, 0xCF, 0x7D, 0x9E, 0x7F, 0x00, 0x00
.db 0x00, 0x02, 0x71, 0x8B, 0xD1, 0x80, 0x75, 0xE5
.db 0x94, 0x89, 0x7D, 0x2A, 0xAA, 0xAA)");
}

// _Fquad: A = |x| (a number from 2^-13 on) becomes r with |x| = k pi/2 + r, |r| at most
// pi/4 (a little more where |x| 2/pi rounds near a half); xl returns k's low byte. k is
// the nearest whole number to y = |x| 2/pi (the packed product's mantissa shifted right,
// rounded by its last bit out). r is worked in fixed point with 2^-62 as its unit: k
// times pi/2 (rounded to 63 bits: its error times k stays below 2^-46), by shift and add
// over k's bits in r8..r15 (the constant in r18..r25, k in zl:xh:xl), less |x|; modulo
// 2^64, which holds the difference exactly. It is normalised and rounded once by the
// core's packing. So x keeps its digits up to 2^17; from there on |x| is first taken
// modulo 2 pi (its digits no longer fix the angle). It saves r8..r15.
void EmitFloatQuadrantRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fquad: cpi     r25,0x48
        brlo    _Fqd1
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x40
        rcall   _Fmod
_Fqd1:  cpi     r22,0xDC
        ldi     xl,0x0F
        cpc     r23,xl
        ldi     xl,0x49
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     r25,xl
        brsh    _Fqd2
        clr     xl
        ret
_Fqd2:  push    r8
        push    r9
        push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15
        push    r22
        push    r23
        push    r24
        push    r25
        ldi     r18,0x83
        ldi     r19,0xF9
        ldi     r20,0x22
        ldi     r21,0x3F
        rcall   _Fmul
        mov     zh,r24
        lsl     zh
        mov     zh,r25
        rol     zh
        ori     r24,0x80
        subi    zh,0x95
        neg     zh
_Fqd3:  cpi     zh,0x08
        brlo    _Fqd4
        mov     r22,r23
        mov     r23,r24
        clr     r24
        subi    zh,0x08
        rjmp    _Fqd3
_Fqd4:  tst     zh
        breq    _Fqd5
        lsr     r24
        ror     r23
        ror     r22
        dec     zh
        rjmp    _Fqd4
_Fqd5:  subi    r22,0xFF
        sbci    r23,0xFF
        sbci    r24,0xFF
        lsr     r24
        ror     r23
        ror     r22
        push    r22
        mov     xl,r22
        mov     xh,r23
        mov     zl,r24
        ldi     r18,0x1A
        ldi     r19,0x61
        ldi     r20,0xB4
        ldi     r21,0x10
        ldi     r22,0x51
        ldi     r23,0xED
        ldi     r24,0x87
        ldi     r25,0x64
        ldi     zh,0x18
        tst     zl
        brne    _Fqd6
        mov     zl,xh
        mov     xh,xl
        clr     xl
        ldi     zh,0x10
        tst     zl
        brne    _Fqd6
        mov     zl,xh
        clr     xh
        ldi     zh,0x08
_Fqd6:  lsl     xl
        rol     xh
        rol     zl
        dec     zh
        brcc    _Fqd6
        mov     r8,r18
        mov     r9,r19
        mov     r10,r20
        mov     r11,r21
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        tst     zh
        breq    _Fqd9
_Fqd7:  lsl     r8
        rol     r9
        rol     r10
        rol     r11
        rol     r12
        rol     r13
        rol     r14
        rol     r15
        lsl     xl
        rol     xh
        rol     zl
        brcc    _Fqd8
        add     r8,r18
        adc     r9,r19
        adc     r10,r20
        adc     r11,r21
        adc     r12,r22
        adc     r13,r23
        adc     r14,r24
        adc     r15,r25
_Fqd8:  dec     zh
        brne    _Fqd7
_Fqd9:  pop     xl
        pop     r25
        pop     r24
        pop     r23
        pop     r22
        mov     zh,r24
        lsl     zh
        mov     zh,r25
        rol     zh
        ori     r24,0x80
        clr     r25
        subi    zh,0x58
        mov     xh,zh
        andi    xh,0x07
        breq    _Fq11
_Fq10:  lsl     r22
        rol     r23
        rol     r24
        rol     r25
        dec     xh
        brne    _Fq10
_Fq11:  cpi     zh,0x28
        brlo    _Fq13
        cpi     zh,0x30
        brlo    _Fq12
        sub     r14,r22
        sbc     r15,r23
        rjmp    _Fq14
_Fq12:  sub     r13,r22
        sbc     r14,r23
        sbc     r15,r24
        rjmp    _Fq14
_Fq13:  sub     r12,r22
        sbc     r13,r23
        sbc     r14,r24
        sbc     r15,r25
_Fq14:  set
        sbrs    r15,7
        rjmp    _Fq15
        clt
        com     r15
        com     r14
        com     r13
        com     r12
        com     r11
        com     r10
        com     r9
        com     r8
        sec
        adc     r8,r7
        adc     r9,r7
        adc     r10,r7
        adc     r11,r7
        adc     r12,r7
        adc     r13,r7
        adc     r14,r7
        adc     r15,r7
_Fq15:  ldi     r25,0x80
_Fq16:  tst     r15
        brne    _Fq17
        mov     r15,r14
        mov     r14,r13
        mov     r13,r12
        mov     r12,r11
        mov     r11,r10
        mov     r10,r9
        mov     r9,r8
        clr     r8
        subi    r25,0x08
        rjmp    _Fq16
_Fq17:  sbrc    r15,7
        rjmp    _Fq18
        lsl     r8
        rol     r9
        rol     r10
        rol     r11
        rol     r12
        rol     r13
        rol     r14
        rol     r15
        dec     r25
        rjmp    _Fq17
_Fq18:  mov     r24,r15
        mov     r23,r14
        mov     r22,r13
        mov     xh,r12
        mov     r0,r11
        or      r0,r10
        or      r0,r9
        or      r0,r8
        pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r10
        pop     r9
        pop     r8
        rjmp    _Fback)");
}

}  // namespace qbc
