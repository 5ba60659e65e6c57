// Hyperbolic sine, cosine and tangent of the float library.
#include "compiler/library/core/float_functions.h"

namespace qbc {

namespace {

// |A| against 89.41599 (0x42B2D4FD), where e^|x| / 2 leaves the floats: carry set below.
constexpr const char* kBeyondTheFloats = R"(
        cpi     r22,0xFD
        ldi     xl,0xD4
        cpc     r23,xl
        ldi     xl,0xB2
        cpc     r24,xl
        ldi     xl,0x42
        cpc     r25,xl)";

}  // namespace

// _Fsinh: worked on |x|, x's sign (on the stack) applied last, so sinh(-x) = -sinh x bit
// for bit. Below 2^-13 sinh x = x; below 1, x + P(u) u x (_FtblSinh), where the
// difference of two exponentials would cancel; above, E - 1/(4E) with E = e^|x| / 2
// (_Fhyp), the halving taken into the exponential's scaling, so that the results up to
// 89.41599 do not overflow on the way (1/(4E) vanishes from 9 on). From there on (and NaN)
// NaN.
void EmitFloatSinhRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fsinh: mov     xl,r25
        andi    xl,0x7F
        cpi     xl,0x39
        brlo    _Fsh9
        push    r25
        mov     r25,xl)");
  EmitFloatFunctionText(st, kBeyondTheFloats);
  EmitFloatFunctionText(st, R"(
        brlo    _Fsh1
        pop     xl
        rjmp    _Fnan
_Fsh1:  cpi     r24,0x80
        ldi     xl,0x3F
        cpc     r25,xl
        brsh    _Fsh2)");
  EmitFloatTableAddress(st, "_FtblSinh");
  EmitFloatFunctionText(st, R"(
        rcall   _Fodd
        rjmp    _Fsh8
_Fsh2:  rcall   _Fhyp
        subi    r25,0x80
        rcall   _Fadd
_Fsh8:  pop     xl
        andi    xl,0x80
        eor     r25,xl
_Fsh9:  ret

_FtblSinh:
.db 0x03, 0x6C, 0x3D, 0x2E, 0x8D, 0x72, 0x4F, 0xFE
.db 0x83, 0x78, 0x08, 0x88, 0x9B, 0x7C, 0x2A, 0xAA
.db 0xAB, 0x00)");
}

// _Fcosh: worked on |x|, so cosh(-x) = cosh x bit for bit. Below 2^-13 1.0; above,
// E + 1/(4E) with E = e^|x| / 2 (near 0 the roundings of e^|x| and of its reciprocal
// cancel). From 89.41599 on (and NaN) NaN.
void EmitFloatCoshRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fcosh: andi    r25,0x7F)");
  EmitFloatFunctionText(st, kBeyondTheFloats);
  EmitFloatFunctionText(st, R"(
        brlo    _Fch1
        rjmp    _Fnan
_Fch1:  cpi     r25,0x39
        brsh    _Fch2
        rjmp    _Fone
_Fch2:  rcall   _Fhyp
        rjmp    _Fadd)");
}

// _Ftanh: worked on |x|, x's sign (on the stack) applied last. Below 2^-13 tanh x = x;
// below 0.55, x + N(u)/D(u) u x (_FtblTanh: D, then N); below 9.010913,
// 1 - 2 / (e^2|x| + 1); from there on 1.0, which tanh rounds to. NaN gives NaN.
void EmitFloatTanhRoutine(CompilerState& st) {
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Ftanh: mov     xl,r25
        andi    xl,0x7F
        cpi     xl,0x39
        brsh    _Fth0
        ret
_Fth0:  push    r25
        mov     r25,xl
        cpi     r25,0x7F
        brne    _Fth1
        sbrs    r24,7
        rjmp    _Fth1
        pop     xl
        rjmp    _Fnan
_Fth1:  cpi     r22,0xB4
        ldi     xl,0x2C
        cpc     r23,xl
        ldi     xl,0x10
        cpc     r24,xl
        ldi     xl,0x41
        cpc     r25,xl
        brlo    _Fth2
        rcall   _Fone
        rjmp    _Fth8
_Fth2:  cpi     r22,0xCD
        ldi     xl,0xCC
        cpc     r23,xl
        ldi     xl,0x0C
        cpc     r24,xl
        ldi     xl,0x3F
        cpc     r25,xl
        brsh    _Fth3)");
  EmitFloatTableAddress(st, "_FtblTanh");
  EmitFloatFunctionText(st, R"(
        rcall   _Fodd
        rjmp    _Fth8
_Fth3:  clr     xl
        clr     xh
        subi    r24,0x80
        sbci    r25,0xFF
        rcall   _Fexpz
        rcall   _Fpl1
        mov     r18,r22
        mov     r19,r23
        mov     r20,r24
        mov     r21,r25
        ldi     r25,0x40
        clr     r24
        clr     r23
        clr     r22
        rcall   _Fdiv
        subi    r25,0x80
        rcall   _Fpl1
_Fth8:  pop     xl
        andi    xl,0x80
        eor     r25,xl
        ret

_FtblTanh:
.db 0x01, 0x7D, 0x4F, 0x2D, 0x25, 0x7F, 0x00, 0x00
.db 0x00, 0x01, 0x75, 0xCB, 0x23, 0xBF, 0x7D, 0xAA
.db 0xAA, 0xA6)");
}

}  // namespace qbc
