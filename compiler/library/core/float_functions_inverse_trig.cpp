// Arcsine, arccosine, arctangent and the two-argument arctangent of the float library.
#include "compiler/base/flags/float_flags.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _FASin: |x| > 1 (and NaN) gives NaN; below 2^-13 asin x = x; below 1/2, x + P(u) u x
// (_Ftbl_Asin). From 1/2 on, asin |x| = pi/2 - 2 asin s
// with z = (1 - |x|) / 2 (exact) and s = sqrt z (_FAsh: A = w = P(z) z s, B = s):
// (pi/2 - 2 s) - (2 w - pi/2's rest) (_Fpi2), pi/2 in two parts so that the difference
// keeps its last bits; x's sign last (on the stack), so asin(-x) = -asin x bit for bit.
//
// _FAsh: from |x|, z and s = sqrt z, A = w = P(s^2) s^2 s and B = s (the odd kernel
// short of its last addition, _Fod1).
//
// _FAsr: carry set when |x| is at most 1 (the domain), xh = |x|'s top byte, so that a
// byte's compare tells |x| below 1/2.
//
// _FACos: pi/2 - asin x for |x| below 1/2, as (pi/2 - x) - (P(u) u x - pi/2's rest);
// beyond, 2 (s + w) for x > 0 and 2 ((pi/2 - s) - (w - pi/2's rest)) = pi - 2 asin s for
// x < 0. These call _Fsqrt, so the emitter sets its used flag (the square root comes later
// in the link order).
void EmitFloatAsinAcosRoutine(CompilerState& st) {
  st.used.Set(NeedFsqrt);
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_FACos: rcall   _FAsr
        brlo    _FAcs0
        rjmp    _Fnan
_FAcs0: cpi     xh,0x3F
        brsh    _FAcs1)");
  EmitFloatTableAddress(st, "_Ftbl_Asin");
  EmitFloatFunctionText(st, R"(
        rcall   _Fod1
        rjmp    _Fpi2
_FAcs1: push    r25
        andi    r25,0x7F
        rcall   _FAsh
        pop     xl
        sbrc    xl,7
        rjmp    _FAcs2
        rcall   _Fadd
        rjmp    _FAcs4
_FAcs2: rcall   _Fpi2
_FAcs4: tst     r25
        breq    _FAcs3
        subi    r24,0x80
        sbci    r25,0xFF
_FAcs3: ret
_FAsr:  mov     xh,r25
        andi    xh,0x7F
        cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        ldi     xl,0x80
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     xh,xl
        ret
_FASin: rcall   _FAsr
        brlo    _FAsn1
        rjmp    _Fnan
_FAsn1: push    r25
        andi    r25,0x7F
        cpi     r25,0x39
        brlo    _FAsn8
        cpi     r25,0x3F
        brsh    _FAsn2)");
  EmitFloatTableAddress(st, "_Ftbl_Asin");
  EmitFloatFunctionText(st, R"(
        rcall   _Fodd
        rjmp    _FAsn8
_FAsn2: rcall   _FAsh
        tst     r25
        breq    _FAsn3
        subi    r24,0x80
        sbci    r25,0xFF
_FAsn3: tst     r21
        breq    _FAsn4
        subi    r20,0x80
        sbci    r21,0xFF
_FAsn4: rcall   _Fpi2
_FAsn8: pop     xl
        andi    xl,0x80
        eor     r25,xl
        ret
_FAsh:  subi    r25,0x80
        ldi     r18,0x00
        ldi     r19,0x00
        ldi     r20,0x80
        ldi     r21,0x3F
        rcall   _Fadd
        tst     r25
        breq    _FAsh1
        subi    r24,0x80
        sbci    r25,0x00
_FAsh1: rcall   _Fsqrt)");
  EmitFloatTableAddress(st, "_Ftbl_Asin");
  EmitFloatFunctionText(st, R"(
        rjmp    _Fod1

_Ftbl_Asin:
.db 0x04, 0x7A, 0x2E, 0x4C, 0xAF, 0x79, 0x45, 0x13
.db 0x48, 0x7A, 0x3A, 0x3A, 0x3E, 0x7B, 0x19, 0x82
.db 0xE4, 0x7C, 0x2A, 0xAA, 0xD6, 0x00)");
}

// _FAtan: the two-argument arctangent of (1, x) (_FAtan2 from _FAt21): |x| up to 1 is its
// own quotient, beyond it 1/|x| gives pi/2 - atan(1/|x|); x's sign last, also for a zero
// (atan(-0) is -0).
void EmitFloatAtanRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_FAtan: ldi     r21,0x3F
        ldi     r20,0x80
        clr     r19
        clr     r18
        rjmp    _FAt21)");
}

// _FAtan2: the angle of the point (x, y), y in A, x in B, in (-pi, pi]: the arctangent w of
// the smaller magnitude over the larger, so that the quotient never overflows
// (Atan2(1e30, 1e-30) is pi/2), v + N(u)/D(u) u v (_FtblAtan: D, then N; v itself below
// 2^-13, where the next term is below half a unit); when |y| is the
// larger pi/2 - w, or pi/2 + w for x < 0; else pi - w for x < 0; y's sign last. pi/2 and pi
// as _Fpi2 works them: (pi/2 - B) - (A - pi/2's rest), B = 0 or -pi/2. r16 keeps y's sign in
// bit 7, x's in bit 6 and the exchange in bit 0. An operand whose exponent field is 0 counts
// as a zero without a sign: x = 0 gives pi/2 with y's sign, y = 0 gives 0 for x > 0 and pi
// for x < 0, and both 0 NaN (the quotient's). NaN or an infinity in either gives NaN (the
// quotient's).
void EmitFloatAtan2Routine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_FAtan2:mov     xl,r24
        lsl     xl
        mov     xl,r25
        rol     xl
        brne    _FAt21
        andi    r25,0x7F
_FAt21: push    r16
        mov     r16,r25
        andi    r16,0x80
        andi    r25,0x7F
        mov     xl,r20
        lsl     xl
        mov     xl,r21
        rol     xl
        breq    _FAt22
        brcc    _FAt22
        ori     r16,0x40
_FAt22: andi    r21,0x7F
        cp      r18,r22
        cpc     r19,r23
        cpc     r20,r24
        cpc     r21,r25
        brcc    _FAt23
        inc     r16
        mov     r26,r22
        mov     r27,r23
        mov     r22,r18
        mov     r23,r19
        mov     r18,r26
        mov     r19,r27
        mov     r26,r24
        mov     r27,r25
        mov     r24,r20
        mov     r25,r21
        mov     r20,r26
        mov     r21,r27
_FAt23: rcall   _Fdiv
        cpi     r25,0x39
        brlo    _FAt27)");
  EmitFloatTableAddress(st, "_FtblAtan");
  EmitFloatFunctionText(st, R"(
        rcall   _Fodd
_FAt27: clr     r18
        clr     r19
        clr     r20
        clr     r21
        sbrc    r16,0
        rjmp    _FAt24
        sbrs    r16,6
        rjmp    _FAt26
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0xBF
        rjmp    _FAt25
_FAt24: sbrc    r16,6
        subi    r25,0x80
_FAt25: rcall   _Fpi2
_FAt26: andi    r16,0x80
        eor     r25,r16
        pop     r16
        ret

_FtblAtan:
.db 0x03,0x7a,0x47,0x3a,0xb1,0x7e,0x10,0x1f,0x21,0x7f,0x39,0xcc
.db 0xfc,0x7f,0x00,0x00,0x00,0x02,0x7a,0xa4,0x8b,0x56,0x7d,0x91
.db 0x56,0x0b,0x7d,0xaa,0xaa,0xa6)");
}

}  // namespace qbc
