// The whole and the fractional part of a float (Int and Fract), worked in A itself: no
// address to store a part at, so nothing is written through the data space (the register
// file lies there too).
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fint: A = A with its fractional bits cleared (towards zero). |A| < 1 gives +0; A
// without fractional bits (|A| >= 2^23, infinity, NaN) stays as it is. r18..r21 change.
// The exponent e (bits 30..23) leaves 150 - e fractional bits in the mantissa: a mask of
// 24 ones is shifted left once per bit and laid over the low three bytes (the top one's
// bit 7 is the exponent's lowest, which 23 shifts at most leave set).
void EmitFloatIntRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fint:  mov     r21,r24
        lsl     r21
        mov     r21,r25
        rol     r21
        subi    r21,0x96
        brcc    _Fint3
        cpi     r21,0xE9
        brlo    _Fint4
        ser     r18
        ser     r19
        ser     r20
_Fint1: lsl     r18
        rol     r19
        rol     r20
        inc     r21
        brne    _Fint1
        and     r22,r18
        and     r23,r19
        and     r24,r20
_Fint3: ret
_Fint4: clr     r22
        clr     r23
        clr     r24
        clr     r25
        ret)");
}

// _Ffrac: A = A - Int(A), with A's sign (exact: for |A| >= 1, Int(A) <= |A| < 2 Int(A)).
// |A| < 1 is its own fraction, as it stands (-0 and the smallest values too); infinity
// and NaN give NaN; A without fractional bits gives 0. r18..r21 change, and what _Fsub
// changes.
void EmitFloatFractRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Ffrac: mov     r21,r24
        lsl     r21
        mov     r21,r25
        rol     r21
        cpi     r21,0x7F
        brlo    _Ffrc1
        push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Fint
        rcall   _Fba
        pop     r25
        pop     r24
        pop     r23
        pop     r22
        rjmp    _Fsub
_Ffrc1: ret)");
}

}  // namespace qbc
