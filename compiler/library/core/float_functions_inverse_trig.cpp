// Arcsine, arccosine, arctangent and the two-argument arctangent of the float library.
#include "compiler/base/flags/float_flags.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _FASin: |x| > 1 (and NaN) gives NaN; for |x| <= 0.5 asin x = x * Q / P of _Ftbl_Asin at
// x^2. The rational form alone drifts off towards |x| = 1 (asin 1 came out as 1.4837), so
// beyond 0.5 the half-angle form asin |x| = pi/2 - 2 asin(sqrt((1 - |x|) / 2)) keeps the
// series' argument at or below 0.5. _FACos: pi/2 - asin x for |x| <= 0.5, beyond it
// 2 asin(sqrt((1 - |x|) / 2)) for x > 0, pi minus that for x < 0. These call _Fsqrt, so
// the emitter sets its used flag (the square root comes later in the link order).
void EmitFloatAsinAcosRoutine(CompilerState& st) {
  st.used.Set(NeedFsqrt);
  st.out.Line();
  st.out.Text(R"(
_FACos: mov     xh,r25
        andi    xh,0x7F
        cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     xh,xl
        brsh    _FAcs1
        rcall   _FASin
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        rjmp    _Fadd
_FAcs1: push    r25
        rcall   _FAsn3
        pop     xl
        sbrs    xl,7
        ret
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0x49
        ldi     r21,0x40
        rjmp    _Fadd
_FASin: mov     xh,r25
        andi    xh,0x7F
        cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        ldi     xl,0x80
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     xh,xl
        brlo    _FAsn0
        rjmp    _Fnan
_FAsn0: cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     xh,xl
        brlo    _FAsn1
        push    r25
        rcall   _FAsn3
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        rcall   _Fadd
        pop     xl
        andi    xl,0x80
        eor     r25,xl
        ret
_FAsn3: ori     r25,0x80
        ldi     r18,0x00
        ldi     r19,0x00
        ldi     r20,0x80
        ldi     r21,0x3F
        rcall   _Fadd
        tst     r25
        breq    _FAsn4
        subi    r24,0x80
        sbci    r25,0x00
_FAsn4: rcall   _Fsqrt
        rcall   _FAsn1
        rcall   _Fba
        rjmp    _Fadd
_FAsn1: push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Fpow2)");
  EmitFloatTableAddress(st, "_Ftbl_Asin");
  st.out.Text(R"(
        rcall   _Fpot
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fmul

_Ftbl_Asin:
.db 0x04, 0x7B, 0x1D, 0xC6, 0x2E, 0x7E, 0xB0, 0x33
.db 0x61, 0x80, 0x01, 0x57, 0x2D, 0x80, 0x99, 0xD1
.db 0x39, 0x7F, 0x00, 0x00, 0x00, 0x05, 0x74, 0x4F
.db 0x7F, 0x04, 0x7A, 0x17, 0x7B, 0x16, 0x7D, 0xF9
.db 0x61, 0x6E, 0x7F, 0x59, 0x02, 0x36, 0x80, 0x8F
.db 0x26, 0x8E, 0x7F, 0x00, 0x00, 0x00)");
}

// _FAtan: v = |x|, or 1/|x| when |x| > 1 (marked in r16); w = v * P(v^2) of _FtblAtan;
// pi/2 - w when marked; x's sign (r17) applied last.
void EmitFloatAtanRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_FAtan: push    r16
        push    r17
        mov     r17,r25
        andi    r17,0x80
        andi    r25,0x7F
        clr     r16
        cpi     r22,0x01
        ldi     xl,0x00
        cpc     r23,xl
        ldi     xl,0x80
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     r25,xl
        brlo    _FAtn1
        rcall   _Finv
        inc     r16
_FAtn1: push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Fpow2)");
  EmitFloatTableAddress(st, "_FtblAtan");
  st.out.Text(R"(
        rcall   _Fpot
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fmul
        tst     r16
        breq    _FAtn2
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        rcall   _Fadd
_FAtn2: eor     r25,r17
        pop     r17
        pop     r16
        ret
        
_FtblAtan:
.db 0x08,0x76,0x3b,0xd7,0x4a,0x79,0x84,0x6e,0x02,0x7a,0x2f,0xc1
.db 0xfe,0x7b,0x9a,0x31,0x74,0x7b,0x5a,0x3d,0x83,0x7c,0x91,0x7f
.db 0xc7,0x7c,0x4c,0xbb,0xe5,0x7d,0xaa,0xaa,0x6c,0x7f,0x00,0x00
.db 0x00,0x00)");
}

// _FAtan2: the angle of the point (x, y), y in A, x in B, in (-pi, pi]. NaN in either
// gives NaN; x = 0: NaN for y = 0, else pi/2 with y's sign; y = 0: 0 for x > 0, pi for
// x < 0; otherwise atan(y / x), plus pi (y >= 0) or minus pi (y < 0) when x < 0.
// r17 keeps x's sign byte.
void EmitFloatAtan2Routine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_FAtan2:push    r17
        mov     r17,r21
        mov     xl,r24
        lsl     xl
        mov     xl,r25
        rol     xl
        cpi     xl,0xFF
        breq    _FAt28
        mov     xl,r20
        lsl     xl
        mov     xl,r21
        rol     xl
        cpi     xl,0xFF
        breq    _FAt28
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
_FAt22: mov     xl,r25
        andi    xl,0x7F
        brne    _FAt25
        sbrc    r24,7
        rjmp    _FAt25
        sbrs    r17,7
        rjmp    _FAt27
        ldi     r25,0x40
        ldi     r24,0x49
        ldi     r23,0x0F
        ldi     r22,0xDB
        rjmp    _FAt29
_FAt25: push    r25
        rcall   _Fdiv
        rcall   _Fatan
        pop     xl
        sbrs    r17,7
        rjmp    _FAt29
        andi    xl,0x80
        ldi     r21,0x40
        or      r21,xl
        ldi     r20,0x49
        ldi     r19,0x0F
        ldi     r18,0xDB
        rcall   _Fadd
        rjmp    _FAt29
_FAt27: rcall   _Fclr
        rjmp    _FAt29
_FAt28: rcall   _Fnan
_FAt29: pop     r17
        ret)");
}

}  // namespace qbc
