// Square root of the float library.
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fsqrt: A = a * 4^h with a in [1, 4) (exponent 0x7F or 0x80); Heron's iteration
// g = (a / g + g) / 2 from g = 1 + f / 2 (f: a's top fraction bits), ended when an
// estimate repeats or after ten rounds (rounded iterates can alternate between two
// neighbours); then h is added to the exponent. Negative A and NaN give NaN, zero (and
// -0) gives 0. a in r8..r11, g in r12..r15, h in r16, the round count in r17.
void EmitFloatSqrtRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fsqrt: mov     xl,r24
        lsl     xl
        mov     xh,r25
        rol     xh
        brne    _Fsqr1
        rjmp    _Fclr
_Fsqr1: sbrc    r25,7
        rjmp    _Fnan
        cpi     xh,0xFF
        brne    _Fsqr2
        rjmp    _Fnan
_Fsqr2: push    r8
        push    r9
        push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15
        push    r16
        push    r17
        mov     r16,xh
        subi    r16,0x7F
        asr     r16
        mov     xl,r16
        lsl     xl
        sub     xh,xl
        lsl     r24
        lsr     xh
        ror     r24
        mov     r25,xh
        mov     r8,r22
        mov     r9,r23
        mov     r10,r24
        mov     r11,r25
        andi    r24,0x7F
        lsr     r24
        ori     r24,0x80
        ldi     r25,0x3F
        clr     r23
        clr     r22
        ldi     r17,0x0A
_Fsqr3: mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        mov     r22,r8
        mov     r23,r9
        mov     r24,r10
        mov     r25,r11
        mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fdiv
        mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fadd
        subi    r24,0x80
        sbci    r25,0x00
        cp      r22,r12
        cpc     r23,r13
        cpc     r24,r14
        cpc     r25,r15
        breq    _Fsqr4
        dec     r17
        brne    _Fsqr3
_Fsqr4: lsl     r24
        rol     r25
        add     r25,r16
        lsr     r25
        ror     r24
        pop     r17
        pop     r16
        pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r10
        pop     r9
        pop     r8
        ret)");
}

}  // namespace qbc
