// Power, exponential and logarithms of the float library, with their coefficient tables.
#include "compiler/base/flags/float_flags.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fpow: A to the power B. B = 0 gives 1.0; A = 0 gives 0 for B > 0 and NaN for B < 0;
// NaN in either gives NaN. A negative base needs a whole exponent: |A| ^ B, negative when
// B is odd; a fractional exponent gives NaN. The integer test shifts B's mantissa right
// until the units bit is its lowest bit, collecting the bits shifted out. The sign goes
// along with no byte of its own: A keeps it for an odd B into _Flnc, which adds it to e as
// 2^14, the power adds it so to n, and the exponential's scaling takes it from there
// (a result beyond the floats is NaN or +0 as any).
//
// |A| ^ B (_Fpw5) = 2^n e^w, with A = m 2^e and ln m = f - c (_Flnc, f = m - 1 exact): B e
// is split exactly into n + g (B's head of 12 bits and the rest, each times e exact), so
// that the exponent's share of ln A is not rounded before it is multiplied by B (n the
// whole part of Bh e, g below 1 and the exponential's reduction takes over); and w is
// kept in two parts t + l, so that no rounding of a w up to 88 reaches the result: t = Bh fh
// (fh: f's head of 12 bits; the product is exact), l = ((g ln 2 - B c) + Bl f) + Bh fl.
// Where |B f| stays below 1/2 (the exponents of B and f add up to less than 252), t = B f
// and l = g ln 2 - B c, whose roundings stay below a unit.
// _Fexpb takes both and scales by 2^n. |B e| from 512 on is beyond the floats: NaN above,
// 0 below. f, c and B's products with e wait on the stack, B in r12..r15, e then n in
// r17:r16, the sum of l in r8..r11 (_Fpw17 adds A to it); _Fpw15 loads B's head into B,
// _Fpw16 also B into A. The power saves r8..r17 as _Fexpn does, so its last step goes on
// in _Fexpn past the saving (_Fexpb), whose end gives them back and returns.
void EmitFloatPowRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fpow:  mov     xl,r21
        andi    xl,0x7F
        brne    _Fpw1
        sbrs    r20,7
        rjmp    _Fone
_Fpw1:  mov     xl,r25
        andi    xl,0x7F
        brne    _Fpw2
        sbrc    r24,7
        rjmp    _Fpw2
        sbrc    r21,7
        rjmp    _Fnan
        rjmp    _Fclr
_Fpw2:  mov     xl,r20
        lsl     xl
        mov     xl,r21
        rol     xl
        cpi     xl,0xFF
        breq    _Fpw0
        mov     xl,r24
        lsl     xl
        mov     xl,r25
        rol     xl
        cpi     xl,0xFF
        brne    _Fpw7
_Fpw0:  rjmp    _Fnan
_Fpw7:  sbrs    r25,7
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
        sbrs    xh,7
        andi    r25,0x7F
        rjmp    _Fpw5
_Fpw8:  pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fnan
_Fpw5:  push    r16
        push    r17
        push    r8
        push    r9
        push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15
        push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Flnc
        pop     r15
        pop     r14
        pop     r13
        pop     r12
        push    r22
        push    r23
        push    r24
        push    r25
        push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Fpw16
        rcall   _Fsub
        push    r22
        push    r23
        push    r24
        push    r25
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        mov     xl,r16
        or      xl,r17
        breq    _Fpw19
        rcall   _Fe2f
        mov     r18,r8
        mov     r19,r9
        mov     r20,r10
        mov     r21,r11
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        rcall   _Fmul
        push    r22
        push    r23
        push    r24
        push    r25
        mov     r22,r8
        mov     r23,r9
        mov     r24,r10
        mov     r25,r11
        rcall   _Fpw15
        rcall   _Fmul
        mov     xl,r25
        andi    xl,0x7F
        cpi     xl,0x44
        brlo    _Fpw18
        rjmp    _Fpw11
_Fpw18: mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        rcall   _Fxsf
        subi    r17,0xE0
        andi    r17,0x40
        add     r17,r23
        mov     r16,r22
        rcall   _Fs2f
        mov     r18,r22
        mov     r19,r23
        mov     r20,r24
        mov     r21,r25
        mov     r22,r8
        mov     r23,r9
        mov     r24,r10
        mov     r25,r11
        rcall   _Fsub
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fadd
        ldi     r18,0x18
        ldi     r19,0x72
        ldi     r20,0x31
        ldi     r21,0x3F
        rcall   _Fmul
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        rjmp    _Fpw20
_Fpw19: clr     r8
        clr     r9
        clr     r10
        clr     r11
_Fpw20: pop     r25
        pop     r24
        pop     r23
        pop     r22
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        push    r22
        push    r23
        push    r24
        push    r25
        mov     r22,r12
        mov     r23,r13
        mov     r24,r14
        mov     r25,r15
        rcall   _Fmul
        subi    r25,0x80
        rcall   _Fpw17
        pop     r25
        pop     r24
        pop     r23
        pop     r22
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        mov     xl,r14
        lsl     xl
        mov     xl,r15
        rol     xl
        mov     xh,r20
        lsl     xh
        mov     xh,r21
        rol     xh
        add     xl,xh
        brcs    _Fpw21
        cpi     xl,0xFC
        brsh    _Fpw21
        mov     r22,r12
        mov     r23,r13
        mov     r24,r14
        mov     r25,r15
        rjmp    _Fpw22
_Fpw21: push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Fmul
        rcall   _Fpw17
        pop     r25
        pop     r24
        pop     r23
        pop     r22
        clr     r18
        mov     r19,r23
        andi    r19,0xF0
        mov     r20,r24
        mov     r21,r25
        push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Fsub
        rcall   _Fpw15
        rcall   _Fmul
        rcall   _Fpw17
        pop     r25
        pop     r24
        pop     r23
        pop     r22
        rcall   _Fpw15
_Fpw22: rcall   _Fmul
        mov     r18,r8
        mov     r19,r9
        mov     r20,r10
        mov     r21,r11
        rjmp    _Fexpb
_Fpw11: ldi     xl,0x10
_Fpw10: pop     r0
        dec     xl
        brne    _Fpw10
        sbrs    r25,7
        rjmp    _Fpw14
        rcall   _Fclr
        rjmp    _Fpw13
_Fpw14: rcall   _Fnan
_Fpw13: pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r10
        pop     r9
        pop     r8
        pop     r17
        pop     r16
        ret
_Fpw16: mov     r22,r12
        mov     r23,r13
        mov     r24,r14
        mov     r25,r15
_Fpw15: clr     r18
        mov     r19,r13
        andi    r19,0xF0
        mov     r20,r14
        mov     r21,r15
        ret
_Fpw17: mov     r18,r8
        mov     r19,r9
        mov     r20,r10
        mov     r21,r11
        rcall   _Fadd
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        ret)");
}

// _Fexp: e^A; NaN gives NaN. Beyond the floats the scaling gives NaN above (from
// 88.72284 on) and 0 below (at and below -87.33655).
//
// _Fexpn: e^(A + B) 2^n, n (signed) in X, for A + B = w below 256 (from there on NaN
// above, 0 below): w = k ln 2 + r, k the nearest whole number to w log2 e (0 while |w| is
// below ln 2 / 2), ln 2 in two parts (15 bits, whose products with k are exact, and the
// rest), r = (A - k ln 2 head) + (B - k ln 2 rest); e^r - 1 = r + E(r) r^2 (_FtblExp),
// then 1 + (e^r - 1) with n + k added to its exponent: NaN above the floats, 0 below. The
// reduction keeps A and then r in r8..r11, B in r12..r15, k on the stack, n + k in
// r17:r16; it gives r8..r15 back before the kernel, which keeps r in the polynomial's
// frame (_Fpot returns it in B), so the call goes no deeper than the reduction. Beyond 256
// n + k is set to +-7168, which the kernel's result cannot bring back into the floats.
// 2^14 added to n (n + k within +-2^13) makes the result negative (the power's sign).
// _Fexpz: with B = 0 (e^A 2^n). _Fexpb: _Fexpn past its saving (r16, r17, then r8..r15)
// with n in r17:r16, for a caller that saved them in the same order (the power's last
// step).
//
// _Fhyp, for sinh and cosh: E = e^A / 2 (_Fexpn with n = -1); returns 1/(4E) in A and E
// in B. _Fnear: the nearest whole number to A (halves away from 0) as a long: the
// truncation of A + 1/2 (A - 1/2 below 0). _Fpl1: A + 1. _Fone: A = 1.0.
void EmitFloatExpRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fexp:  mov     xl,r24
        lsl     xl
        mov     xl,r25
        rol     xl
        cpi     xl,0xFF
        brne    _Fexp3
        rjmp    _Fnan
_Fexp3: clr     xl
        clr     xh
_Fexpz: clr     r18
        clr     r19
        clr     r20
        clr     r21
_Fexpn: push    r16
        push    r17
        push    r8
        push    r9
        push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15
        mov     r16,r26
        mov     r17,r27
_Fexpb:
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        mov     r12,r18
        mov     r13,r19
        mov     r14,r20
        mov     r15,r21
        rcall   _Fadd
        mov     xh,r25
        andi    xh,0x7F
        cpi     r24,0x80
        ldi     xl,0x43
        cpc     xh,xl
        brlo    _Fexp4
        clr     r16
        ldi     r17,0x1C
        sbrc    r25,7
        ldi     r17,0xE4
        rjmp    _Fexp5
_Fexp4: cpi     r22,0x18
        ldi     xl,0x72
        cpc     r23,xl
        ldi     xl,0xB1
        cpc     r24,xl
        ldi     xl,0x3E
        cpc     xh,xl
        brlo    _Fexp5
        ldi     r18,0x3B
        ldi     r19,0xAA
        ldi     r20,0xB8
        ldi     r21,0x3F
        rcall   _Fmul
        rcall   _Fnear
        add     r16,r22
        adc     r17,r23
        rcall   _Fs2f
        push    r22
        push    r23
        push    r24
        push    r25
        ldi     r18,0x8E
        ldi     r19,0xBE
        ldi     r20,0xBF
        ldi     r21,0xB5
        rcall   _Fmul
        mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fadd
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        pop     r25
        pop     r24
        pop     r23
        pop     r22
        ldi     r18,0x00
        ldi     r19,0x72
        ldi     r20,0x31
        ldi     r21,0xBF
        rcall   _Fmul
        mov     r18,r8
        mov     r19,r9
        mov     r20,r10
        mov     r21,r11
        rcall   _Fadd
        mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fadd
_Fexp5: pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r10
        pop     r9
        pop     r8)");
  EmitFloatTableAddress(st, "_FtblExp");
  EmitFloatFunctionText(st, R"(
        rcall   _Fpot
        push    r18
        push    r19
        push    r20
        push    r21
        push    r22
        push    r23
        push    r24
        push    r25
        mov     r22,r18
        mov     r23,r19
        mov     r24,r20
        mov     r25,r21
        rcall   _Fpow2
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fmul
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fadd
        rcall   _Fpl1
        mov     xl,r24
        lsl     xl
        mov     xl,r25
        rol     xl
        clr     xh
        subi    r17,0xE0
        bst     r17,6
        andi    r17,0xBF
        subi    r17,0x20
        add     xl,r16
        adc     xh,r17
        brmi    _Fexp7
        brne    _Fexp6
        cpi     xl,0xFF
        breq    _Fexp6
        tst     xl
        breq    _Fexp7
        lsl     r24
        mov     r25,xl
        lsr     r25
        ror     r24
        bld     r25,7
        rjmp    _Fexp8
_Fexp6: rcall   _Fnan
        rjmp    _Fexp8
_Fexp7: rcall   _Fclr
_Fexp8: pop     r17
        pop     r16
        ret
_Fhyp:  ldi     xl,0xFF
        ldi     xh,0xFF
        rcall   _Fexpz
        mov     r18,r22
        mov     r19,r23
        mov     r20,r24
        mov     r21,r25
        push    r22
        push    r23
        push    r24
        push    r25
        ldi     r25,0x3E
        ldi     r24,0x80
        clr     r23
        clr     r22
        rcall   _Fdiv
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        ret
_Fnear: clr     r18
        clr     r19
        clr     r20
        mov     r21,r25
        andi    r21,0x80
        ori     r21,0x3F
        rcall   _Fadd
        rjmp    _Fxsf
_Fpl1:  clr     r18
        clr     r19
        ldi     r20,0x80
        ldi     r21,0x3F
        rjmp    _Fadd)");
  // (1.0 for the power's zero exponent and the hyperbolic cosine and tangent's ends)
  if (st.used[NeedFpow] || st.used[NeedFcosh] || st.used[NeedFtanh])
    EmitFloatFunctionText(st, R"(
_Fone:  ldi     r25,0x3F
        ldi     r24,0x80
        clr     r23
        clr     r22
        ret)");
  EmitFloatFunctionText(st, R"(

_FtblExp:
.db 0x04, 0x75, 0x35, 0xF6, 0x01, 0x78
.db 0x09, 0x13, 0xCE, 0x7A, 0x2A, 0xAB
.db 0x3A, 0x7C, 0x2A, 0xAA, 0x58, 0x7D
.db 0x7F, 0xFF, 0xFF, 0x00)");
}

// _Fln: ln A = e ln 2 + ln m (_Flnc), as e ln2 head + (e ln2 rest + ln m), the head of
// 15 bits so that its product with e is exact. _Flog: ln A log10 e. A <= 0, NaN (and A
// with a zero exponent field) give NaN.
//
// _Flnc: |A| = m 2^e with m in [sqrt(1/2), sqrt(2)) (A's exponent field neither 0 nor
// 255): returns f = m - 1 (exact) in A, c in B and e in r17:r16, ln m = f - c, with 2^14
// added to e where A is negative (the power's sign; _Fe2f leaves it out).
// s = f / (f + 2), z = s^2; ln m = 2 atanh s = 2 s + R(z) z s (_FtblLn) = f - (f - R(z) z) s,
// since 2 s = f - f s: c = (f - R(z) z) s carries s's rounding. f in r8..r11, s in
// r12..r15. _Fe2f: the float of e (r17:r16).
void EmitFloatLogRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Flog:  rcall   _Fln
        ldi     r18,0xD9
        ldi     r19,0x5B
        ldi     r20,0xDE
        ldi     r21,0x3E
        rjmp    _Fmul
_Fln:   sbrc    r25,7
        rjmp    _Fnan
        mov     xl,r24
        lsl     xl
        mov     xl,r25
        rol     xl
        breq    _Fln1
        cpi     xl,0xFF
        brne    _Fln2
_Fln1:  rjmp    _Fnan
_Fln2:  push    r8
        push    r9
        push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15
        push    r16
        push    r17
        rcall   _Flnc
        rcall   _Fsub
        mov     xl,r16
        or      xl,r17
        breq    _Fln3
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        rcall   _Fe2f
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        ldi     r18,0x8E
        ldi     r19,0xBE
        ldi     r20,0xBF
        ldi     r21,0x35
        rcall   _Fmul
        mov     r18,r8
        mov     r19,r9
        mov     r20,r10
        mov     r21,r11
        rcall   _Fadd
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        mov     r22,r12
        mov     r23,r13
        mov     r24,r14
        mov     r25,r15
        ldi     r18,0x00
        ldi     r19,0x72
        ldi     r20,0x31
        ldi     r21,0x3F
        rcall   _Fmul
        mov     r18,r8
        mov     r19,r9
        mov     r20,r10
        mov     r21,r11
        rcall   _Fadd
_Fln3:  pop     r17
        pop     r16
        pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r10
        pop     r9
        pop     r8
        ret
_Fe2f:  mov     r22,r16
        mov     r23,r17
        subi    r23,0xE0
        andi    r23,0xBF
        subi    r23,0x20
        clr     r24
        sbrc    r23,7
        com     r24
        mov     r25,r24
        rjmp    _Fs2f
_Flnc:  mov     r16,r24
        lsl     r16
        mov     r16,r25
        rol     r16
        clr     r17
        sbrc    r25,7
        ldi     r17,0x40
        subi    r16,0x7F
        sbci    r17,0x00
        ldi     r25,0x3F
        ori     r24,0x80
        cpi     r22,0xF3
        ldi     xl,0x04
        cpc     r23,xl
        ldi     xl,0xB5
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     r25,xl
        brlo    _Flm1
        andi    r24,0x7F
        subi    r16,0xFF
        sbci    r17,0xFF
_Flm1:  ldi     r18,0x00
        ldi     r19,0x00
        ldi     r20,0x80
        ldi     r21,0xBF
        rcall   _Fadd
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        ldi     r18,0x00
        ldi     r19,0x00
        ldi     r20,0x00
        ldi     r21,0x40
        rcall   _Fadd
        mov     r18,r22
        mov     r19,r23
        mov     r20,r24
        mov     r21,r25
        mov     r22,r8
        mov     r23,r9
        mov     r24,r10
        mov     r25,r11
        rcall   _Fdiv
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        rcall   _Fpow2)");
  EmitFloatTableAddress(st, "_FtblLn");
  EmitFloatFunctionText(st, R"(
        rcall   _Fpot
        rcall   _Fmul
        mov     r18,r8
        mov     r19,r9
        mov     r20,r10
        mov     r21,r11
        rcall   _Fsub
        subi    r25,0x80
        mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fmul
        mov     r18,r22
        mov     r19,r23
        mov     r20,r24
        mov     r21,r25
        mov     r22,r8
        mov     r23,r9
        mov     r24,r10
        mov     r25,r11
        ret

_FtblLn:
.db 0x02,0x7D,0x19,0x38,0x42,0x7D,0x4C,0xAD,0x70,0x7E
.db 0x2A,0xAA,0xBD,0x00)");
}

}  // namespace qbc
