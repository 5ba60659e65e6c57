// Sine, cosine and tangent of the float library (radians), with their tables.
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fcos: A mod 2pi, then _Fcos0. _Fcos0: t = |A| - pi; cos A = -cos |t|; when |t| is at
// least pi/2, cos |t| = -cos(|t| - pi). The series of _FtblCos runs in u = -t^2; r17 holds
// the sign to apply. _Fsin: sin x = cos(x - pi/2) on |x| mod 2pi, the sign of x applied
// last; |x| below 2^-13 is its own sine.
void EmitFloatSinCosRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fcos:  push    r17
        rcall   _Fcos2
        rcall   _Fcos0
        pop     r17
        ret
_Fsin:  push    r17
        mov     r17,r25
        andi    r25,0x7F
        cpi     r25,0x39
        brlo    _Fsin1
        push    r17
        rcall   _Fcos2
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0xBF
        rcall   _Fadd
        rcall   _Fcos0
        pop     r17
_Fsin1: andi    r17,0x80
        eor     r25,r17
        pop     r17
        ret
_Fcos2: ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x40
        rjmp    _Fmod
_Fcos0: andi    r25,0x7F
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0x49
        ldi     r21,0xC0
        rcall   _Fadd
        ldi     r17,0x80
        andi    r25,0x7F
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        cp      r22,r18
        cpc     r23,r19
        cpc     r24,r20
        cpc     r25,r21
        brlo    _Fcos1
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0x49
        ldi     r21,0xC0
        rcall   _Fadd
        clr     r17
_Fcos1: rcall   _Fpow2
        ori     r25,0x80)");
  EmitFloatTableAddress(st, "_FtblCos");
  st.out.Text(R"(
        rcall   _Fpot
        eor     r25,r17
        ret

_FtblCos:
.db 0x08, 0x52, 0x57, 0x3F, 0x9F, 0x5A, 0x49, 0xCB
.db 0xA5, 0x62, 0x0F, 0x76, 0xC7, 0x69, 0x13, 0xF2
.db 0x7E, 0x6F, 0x50, 0x0D, 0x01, 0x75, 0x36, 0x0B
.db 0x61, 0x7A, 0x2A, 0xAA, 0xAB, 0x7E, 0x00, 0x00
.db 0x00, 0x7F, 0x00, 0x00, 0x00, 0x00)");
}

// _Ftan: |x| mod pi; exactly pi/2 gives NaN; above pi/2, pi - x with the sign flipped;
// above pi/4, pi/2 - x and the reciprocal at the end (bit 0 of r17). tan x = x * Q / P
// of _FtblTan at -x^2. r17 bit 7 holds the sign to apply.
void EmitFloatTanRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Ftan:  push    r17
        mov     r17,r25
        andi    r17,0x80
        andi    r25,0x7F
        cpi     r25,0x39
        brlo    _Ftan5
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0x49
        ldi     r21,0x40
        rcall   _Fmod
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        cp      r22,r18
        cpc     r23,r19
        cpc     r24,r20
        cpc     r25,r21
        breq    _Ftan6
        brlo    _Ftan1
        subi    r25,0x80
        ldi     r20,0x49
        ldi     r21,0x40
        rcall   _Fadd
        subi    r17,0x80
_Ftan1: ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0x49
        ldi     r21,0x3F
        cp      r22,r18
        cpc     r23,r19
        cpc     r24,r20
        cpc     r25,r21
        brlo    _Ftan2
        breq    _Ftan2
        subi    r25,0x80
        ldi     r20,0xC9
        rcall   _Fadd
        ori     r17,0x01
_Ftan2: push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Fpow2
        ori     r25,0x80)");
  EmitFloatTableAddress(st, "_FtblTan");
  st.out.Text(R"(
        rcall   _Fpot
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fmul
        sbrc    r17,0
        rcall   _Finv
_Ftan5: andi    r17,0x80
        eor     r25,r17
        pop     r17
        ret
_Ftan6: rcall   _Fnan
        pop     r17
        ret

_FtblTan:
.db 0x03, 0x73, 0x05, 0x27, 0x60, 0x79, 0x48, 0xDE
.db 0x92, 0x7D, 0x6D, 0xB0, 0xCA, 0x7F, 0x00, 0x00
.db 0x00, 0x03, 0x6E, 0x37, 0x00, 0xF3, 0x76, 0x4B
.db 0x9F, 0xB8, 0x7C, 0x06, 0x0C, 0x3E, 0x7F, 0x00
.db 0x00, 0x00)");
}

}  // namespace qbc
