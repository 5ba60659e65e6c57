// Arcsine, arccosine, arctangent and the two-argument arctangent of the float library.
#include "compiler/base/flags/float_flags.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _FASin: |x| > 1 (and NaN) gives NaN; below 2^-13 asin x = x; up to 1/2,
// x + P(u) u x (_Ftbl_Asin). Beyond, asin |x| = pi/2 - 2 asin s with z = (1 - |x|) / 2
// (exact) and s = sqrt z (_FAsh: A = w = P(z) z s, B = s): (pi/2 - 2 s) - (2 w - pi/2's
// rest) (_FAsq), pi/2 in two parts so that the difference keeps its last bits; x's sign
// last (on the stack), so asin(-x) = -asin x bit for bit.
//
// _FAsh: from |x|, z and s = sqrt z, A = w = P(s^2) s^2 s and B = s (the odd kernel
// short of its last addition, _Fod1).
//
// _FACos: pi/2 - asin x for |x| <= 1/2, as (pi/2 - x) - (P(u) u x - pi/2's rest); beyond,
// 2 (s + w) for x > 0 and 2 ((pi/2 - s) - (w - pi/2's rest)) = pi - 2 asin s for x < 0.
// These call _Fsqrt, so the emitter sets its used flag (the square root comes later in the
// link order).
void EmitFloatAsinAcosRoutine(CompilerState& st) {
  st.used.Set(NeedFsqrt);
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_FACos: mov     xh,r25
        andi    xh,0x7F
        cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        ldi     xl,0x80
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     xh,xl
        brlo    _FAcs0
        rjmp    _Fnan
_FAcs0: cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     xh,xl
        brsh    _FAcs1)");
  EmitFloatTableAddress(st, "_Ftbl_Asin");
  EmitFloatFunctionText(st, R"(
        rcall   _Fod1
        rjmp    _FAsq
_FAcs1: push    r25
        andi    r25,0x7F
        rcall   _FAsh
        pop     xl
        sbrc    xl,7
        rjmp    _FAcs2
        rcall   _Fadd
        tst     r25
        breq    _FAcs3
        rjmp    _FAcs4
_FAcs2: rcall   _FAsq
_FAcs4: subi    r24,0x80
        sbci    r25,0xFF
_FAcs3: ret
_FASin: push    r25
        andi    r25,0x7F
        cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        ldi     xl,0x80
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     r25,xl
        brlo    _FAsn1
        pop     xl
        rjmp    _Fnan
_FAsn1: cpi     r25,0x39
        brlo    _FAsn8
        cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     r25,xl
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
_FAsn4: rcall   _FAsq
_FAsn8: pop     xl
        andi    xl,0x80
        eor     r25,xl
        ret
_FAsq:  push    r18
        push    r19
        push    r20
        push    r21
        ldi     r18,0x2E
        ldi     r19,0xBD
        ldi     r20,0x3B
        ldi     r21,0xB3
        rcall   _Fsub
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        push    r22
        push    r23
        push    r24
        push    r25
        mov     r22,r18
        mov     r23,r19
        mov     r24,r20
        mov     r25,r21
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        rcall   _Fadd
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fsub
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

// _FAtan: v = |x|, or 1/|x| when |x| > 1 (marked in r16 bit 0); w = v below 2^-13, else
// v + N(u)/D(u) u v (_FtblAtan: D, then N); pi/2 - w when marked, as
// pi/2 - (w - pi/2's rest); x's sign (r16 bit 7) applied last. NaN gives NaN. One
// register for both, so that the call goes a byte less deep.
// The two-argument arctangent enters at _FAtn1 (_FAtnq).
void EmitFloatAtanRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_FAtan: push    r16
        mov     r16,r25
        andi    r16,0x80
        andi    r25,0x7F
        cpi     r25,0x7F
        brne    _FAtn0
        sbrs    r24,7
        rjmp    _FAtn0
        rcall   _Fnan
        rjmp    _FAtn9
_FAtn0: cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        ldi     xl,0x80
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     r25,xl
        brlo    _FAtn1
        rcall   _Finv
        inc     r16
_FAtn1: cpi     r25,0x39
        brlo    _FAtn2)");
  EmitFloatTableAddress(st, "_FtblAtan");
  EmitFloatFunctionText(st, R"(
        rcall   _Fodd
_FAtn2: sbrs    r16,0
        rjmp    _FAtn3
        ldi     r18,0x2E
        ldi     r19,0xBD
        ldi     r20,0x3B
        ldi     r21,0xB3
        rcall   _Fsub
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        rcall   _Fadd
_FAtn3: andi    r16,0x80
        eor     r25,r16
_FAtn9: pop     r16
        ret
        
_FtblAtan:
.db 0x03,0x7a,0x47,0x3a,0xb1,0x7e,0x10,0x1f,0x21,0x7f,0x39,0xcc
.db 0xfc,0x7f,0x00,0x00,0x00,0x02,0x7a,0xa4,0x8b,0x56,0x7d,0x91
.db 0x56,0x0b,0x7d,0xaa,0xaa,0xa6)");
}

// _FAtan2: the angle of the point (x, y), y in A, x in B, in (-pi, pi]. NaN in either
// gives NaN; x = 0: NaN for y = 0, else pi/2 with y's sign; y = 0: 0 for x > 0, pi for
// x < 0. Otherwise the arctangent of the smaller magnitude over the larger, so that the
// quotient never overflows (Atan2(1e30, 1e-30) is pi/2): atan(|y| / |x|), or
// pi/2 - atan(|x| / |y|) when |y| is the larger; pi - that when x < 0, and y's sign last,
// pi/2 and pi in two parts. r16 keeps y's sign in bit 7 and x's in bit 6.
//
// _FAtnq: the arctangent's own steps from its argument on (_FAtn1 of _FAtan), for a
// quotient v in A from 0 to 1 and the mark in xl: w, or pi/2 - w when xl is not 0.
void EmitFloatAtan2Routine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_FAtan2:push    r16
        mov     r16,r25
        andi    r16,0x80
        sbrc    r21,7
        ori     r16,0x40
        mov     xl,r24
        lsl     xl
        mov     xl,r25
        rol     xl
        cpi     xl,0xFF
        breq    _FAt20
        mov     xl,r20
        lsl     xl
        mov     xl,r21
        rol     xl
        cpi     xl,0xFF
        breq    _FAt20
        mov     xl,r21
        andi    xl,0x7F
        brne    _FAt22
        sbrc    r20,7
        rjmp    _FAt22
        mov     xl,r25
        andi    xl,0x7F
        brne    _FAt21
        sbrs    r24,7
        rjmp    _FAt28
_FAt21: andi    r25,0x80
        ori     r25,0x3F
        ldi     r24,0xC9
        ldi     r23,0x0F
        ldi     r22,0xDB
        rjmp    _FAt29
_FAt20: rjmp    _FAt28
_FAt22: mov     xl,r25
        andi    xl,0x7F
        brne    _FAt25
        sbrc    r24,7
        rjmp    _FAt25
        sbrs    r16,6
        rjmp    _FAt27
        ldi     r25,0x40
        ldi     r24,0x49
        ldi     r23,0x0F
        ldi     r22,0xDB
        rjmp    _FAt29
_FAt25: andi    r25,0x7F
        andi    r21,0x7F
        cp      r18,r22
        cpc     r19,r23
        cpc     r20,r24
        cpc     r21,r25
        brcs    _FAt23
        rcall   _Fdiv
        clr     xl
        rjmp    _FAt30
_FAt23: eor     r22,r18
        eor     r18,r22
        eor     r22,r18
        eor     r23,r19
        eor     r19,r23
        eor     r23,r19
        eor     r24,r20
        eor     r20,r24
        eor     r24,r20
        eor     r25,r21
        eor     r21,r25
        eor     r25,r21
        rcall   _Fdiv
        ldi     xl,0x01
_FAt30: rcall   _FAtnq
        sbrs    r16,6
        rjmp    _FAt26
        ldi     r18,0x2E
        ldi     r19,0xBD
        ldi     r20,0xBB
        ldi     r21,0xB3
        rcall   _Fsub
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0x49
        ldi     r21,0x40
        rcall   _Fadd
_FAt26: andi    r16,0x80
        eor     r25,r16
        rjmp    _FAt29
_FAt27: rcall   _Fclr
        rjmp    _FAt29
_FAt28: rcall   _Fnan
_FAt29: pop     r16
        ret
_FAtnq: push    r16
        mov     r16,xl
        rjmp    _FAtn1)");
}

}  // namespace qbc
