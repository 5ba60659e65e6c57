// Hyperbolic sine, cosine and tangent of the float library.
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fsinh: (e^x - 1/e^x) / 2, the halving by _F2e with n = -1.
void EmitFloatSinhRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fsinh: rcall   _Fexp
        push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Finv
        subi    r25,0x80
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fadd
        ldi     r20,0xff
        ldi     r21,0xff
        rjmp    _F2e)");
}

// _Fcosh: (e^x + 1/e^x) / 2.
void EmitFloatCoshRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fcosh: rcall _Fexp
        push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Finv
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fadd
        ldi     r20,0xff
        ldi     r21,0xff
        rjmp    _F2e)");
}

// _Ftanh: sinh x / cosh x; from |x| >= 8.317767 on the quotient is 1.0 in single
// precision and is given directly (with x's sign). NaN gives NaN.
void EmitFloatTanhRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Ftanh: mov     xh,r25
        andi    xh,0x7F
        cpi     r22,0x93
        ldi     xl,0x15
        cpc     r23,xl
        ldi     xl,0x05
        cpc     r24,xl
        ldi     xl,0x41
        cpc     xh,xl
        brlo    _Fth1
        cpi     xh,0x7F
        brne    _Fth0
        sbrc    r24,7
        rjmp    _Fnan
_Fth0:  andi    r25,0x80
        ori     r25,0x3F
        ldi     r24,0x80
        clr     r23
        clr     r22
        ret
_Fth1:  push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Fcosh
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
        rcall   _Fsinh
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fdiv)");
}

}  // namespace qbc
