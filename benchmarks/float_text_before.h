#pragma once
// The float-to-text routine as it was before its digits were taken from an integer
// product: _Fstr scaled by 10^-k from _Fpow (exp of k ln 10) and took the digits off with
// float multiplies and _Fmodf, so it needed the power, logarithm, exponential, polynomial
// and fraction routines beside the float core, and most of its texts were a few units off
// in the last digit. Kept for the benchmark that compares the two.
namespace qbc::bench {

inline constexpr const char* kFloatStrBefore = R"(
_Fstr:  push    r8
        push    r9
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15
        push    r16
        push    r17
        ldi     xl,byte1(_s1tmp)
        ldi     xh,byte2(_s1tmp)
        cpi     r19,0x07
        brlo    _Fstr0
        ldi     r19,0x06
_Fstr0: mov     r17,r19
        mov     r20,r24
        lsl     r20
        mov     r21,r25
        rol     r21
        brne    _Fstr1
        ldi     r20,0x20
        st      X+,r20
        ldi     r20,0x30
        st      X+,r20
        mov     r16,r17
        tst     r16
        breq    _Fst13
        ldi     r20,0x2E
        st      X+,r20
        ldi     r20,0x30
_Fst14: st      X+,r20
        dec     r16
        brne    _Fst14
_Fst13: ldi     r20,0x45
        st      X+,r20
        ldi     r20,0x2B
        st      X+,r20
        ldi     r20,0x30
        st      X+,r20
        st      X+,r20
        rjmp    _Fst20
_Fstr1: cpi     r21,0xFF
        brne    _Fstr2
        ldi     r20,0x45
        st      X+,r20
        ldi     r20,0x72
        st      X+,r20
        st      X+,r20
        rjmp    _Fst20
_Fstr2: ldi     r20,0x20
        sbrc    r25,7
        ldi     r20,0x2D
        st      X+,r20
        andi    r25,0x7F
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        mov     r8,xl
        mov     r9,xh
        mov     r20,xl
        mov     r21,xh
        rcall   _Fman
        mov     zl,r8
        mov     zh,r9
        ld      r22,Z
        ldd     r23,Z+1
        clr     r24
        sbrc    r23,7
        com     r24
        mov     r25,r24
        rcall   _Fs2f
        ldi     r18,0x9B
        ldi     r19,0x20
        ldi     r20,0x9A
        ldi     r21,0x3E
        rcall   _Fmul
        rcall   _Fxsf
        mov     r11,r22
        mov     r22,r12
        mov     r23,r13
        mov     r24,r14
        mov     r25,r15
        tst     r11
        breq    _Fstr3
        mov     r16,r11
        neg     r16
        cpi     r16,0xDA
        brne    _Fstr4
        inc     r16
        ldi     r18,0xCD
        ldi     r19,0xCC
        ldi     r20,0xCC
        ldi     r21,0x3D
        rcall   _Fmul
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
_Fstr4: mov     r22,r16
        clr     r23
        sbrc    r22,7
        com     r23
        mov     r24,r23
        mov     r25,r23
        rcall   _Fs2f
        rcall   _Fba
        ldi     r25,0x41
        ldi     r24,0x20
        clr     r23
        clr     r22
        rcall   _Fpow
_Fstr5: mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fmul
_Fstr3: mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        mov     r20,r8
        mov     r21,r9
        rcall   _Fmodf
        mov     zl,r8
        mov     zh,r9
        ldd     r20,Z+3
        tst     r20
        brne    _Fstr6
        dec     r11
        ldi     r18,0x00
        ldi     r19,0x00
        ldi     r20,0x20
        ldi     r21,0x41
        rcall   _Fmul
        rjmp    _Fstr3
_Fstr6: ldi     r25,0x3F
        ldi     r24,0x00
        clr     r23
        clr     r22
        mov     r16,r17
        tst     r16
        breq    _Fstr7
_Fst15: ldi     r18,0xCD
        ldi     r19,0xCC
        ldi     r20,0xCC
        ldi     r21,0x3D
        rcall   _Fmul
        dec     r16
        brne    _Fst15
_Fstr7: mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fadd
        clr     r16
_Fstr8: mov     r20,r8
        mov     r21,r9
        rcall   _Fmodf
        ldi     r18,0x00
        ldi     r19,0x00
        ldi     r20,0x20
        ldi     r21,0x41
        rcall   _Fmul
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        mov     zl,r8
        mov     zh,r9
        ld      r22,Z
        ldd     r23,Z+1
        ldd     r24,Z+2
        ldd     r25,Z+3
        rcall   _Fxsf
        cpi     r22,0x0A
        brlo    _Fstr9
        ldi     r22,0x09
        tst     r16
        brne    _Fstr9
        inc     r11
        ldi     r22,0x01
_Fstr9: ori     r22,0x30
        mov     xl,r8
        mov     xh,r9
        st      X+,r22
        tst     r16
        brne    _Fst10
        tst     r17
        breq    _Fst10
        ldi     r22,0x2E
        st      X+,r22
_Fst10: mov     r8,xl
        mov     r9,xh
        mov     r22,r12
        mov     r23,r13
        mov     r24,r14
        mov     r25,r15
        inc     r16
        cp      r17,r16
        brsh    _Fstr8
        ldi     r22,0x45
        st      X+,r22
        ldi     r22,0x2B
        mov     r24,r11
        tst     r24
        brpl    _Fst16
        ldi     r22,0x2D
        neg     r24
_Fst16: st      X+,r22
        ldi     r22,0x0A
        rcall   _F8div
        ori     r24,0x30
        st      X+,r24
        ori     r25,0x30
        st      X+,r25
_Fst20: clr     r22
        st      X,r22
        ldi     r24,byte1(_s1tmp)
        ldi     r25,byte2(_s1tmp)
        pop     r17
        pop     r16
        pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r9
        pop     r8
        ret
_F8div: sub     r25,r25
        ldi     r23,0x09
_F8di0: rol     r24
        dec     r23
        breq    _F8di1
        rol     r25
        sub     r25,r22
        brcc    _F8di0
        add     r25,r22
        rjmp    _F8di0
_F8di1: com     r24
        ret
_Fman:  mov     zl,r20
        mov     zh,r21
        mov     r20,r24
        lsl     r20
        mov     r21,r25
        rol     r21
        clr     r20
        tst     r21
        brne    _Fman0
        st      Z+,r20
        st      Z,r20
        rjmp    _Fclr
_Fman0: subi    r21,0x7E
        sbci    r20,0x00
        st      Z+,r21
        st      Z,r20
        andi    r25,0x80
        ori     r25,0x3F
        andi    r24,0x7F
        ret
_Fnsf2: subi    r25,0x80
        ret
)";

}  // namespace qbc::bench
