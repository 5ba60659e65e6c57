#pragma once
// The float functions as they were before they were held to a high-precision reference:
// sine and cosine by a one-float 2 pi and sin x = cos(x - pi/2), the logarithms by a
// quotient of polynomials on [0.5, 1), sinh, cosh and tanh by e^x and its reciprocal,
// exp through the fraction split and a reciprocal for negative arguments, pow as
// exp(B ln A), Atan2 by atan(y / x). The text the emitters wrote for the ATmega88 (lpm
// Rd,Z+), kept for the benchmark that compares the two; the core, the square root, _F2e,
// _Fmod and _Fmodf are today's (unchanged).
namespace qbc::bench {

inline constexpr const char* kFloatFunctionsBefore = R"(

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
        ori     r25,0x80
        ldi     ZL,byte1(_FtblCos*2)
        ldi     ZH,byte2(_FtblCos*2)
        rcall   _Fpot
        eor     r25,r17
        ret

_FtblCos:
.db 0x08, 0x52, 0x57, 0x3F, 0x9F, 0x5A, 0x49, 0xCB
.db 0xA5, 0x62, 0x0F, 0x76, 0xC7, 0x69, 0x13, 0xF2
.db 0x7E, 0x6F, 0x50, 0x0D, 0x01, 0x75, 0x36, 0x0B
.db 0x61, 0x7A, 0x2A, 0xAA, 0xAB, 0x7E, 0x00, 0x00
.db 0x00, 0x7F, 0x00, 0x00, 0x00, 0x00

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
        rcall   _Fpow2
        ldi     ZL,byte1(_Ftbl_Asin*2)
        ldi     ZH,byte2(_Ftbl_Asin*2)
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
.db 0x26, 0x8E, 0x7F, 0x00, 0x00, 0x00

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
        ori     r25,0x80
        ldi     ZL,byte1(_FtblTan*2)
        ldi     ZH,byte2(_FtblTan*2)
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
.db 0x00, 0x00

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
        rcall   _Fpow2
        ldi     ZL,byte1(_FtblAtan*2)
        ldi     ZH,byte2(_FtblAtan*2)
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
.db 0x00,0x00

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
        ret

_Fpow:  mov     xl,r21
        andi    xl,0x7F
        brne    _Fpw1
        sbrs    r20,7
        rjmp    _Fpw9
_Fpw1:  mov     xl,r25
        andi    xl,0x7F
        brne    _Fpw2
        sbrc    r24,7
        rjmp    _Fpw2
        sbrc    r21,7
        rjmp    _Fnan
        rjmp    _Fclr
_Fpw9:  ldi     r25,0x3F
        ldi     r24,0x80
        clr     r23
        clr     r22
        ret
_Fpw2:  sbrs    r25,7
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
        andi    r25,0x7F
        push    xh
        rcall   _Fpw5
        pop     xh
        eor     r25,xh
        ret
_Fpw8:  pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fnan
_Fpw5:  push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Fln
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fmul
        rjmp    _Fexp

_Fpot:  push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25
        lpm     r10,Z+
        rcall   _Fpot1
        lpm     r10,Z+
        tst     r10
        breq    _Fpot3
        push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Fpot1
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fdiv
_Fpot3: pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r10
        ret
_Fpot1: rcall   _Fpot5
        mov     r22,r18
        mov     r23,r19
        mov     r24,r20
        mov     r25,r21
_Fpot2: push    zl
        push    zh
        mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        rcall   _Fmul
        pop     zh
        pop     zl
        rcall   _Fpot5
        push    zl
        push    zh
        rcall   _Fadd
        pop     zh
        pop     zl
        dec     r10
        brne    _Fpot2
        ret
_Fpot5: rcall   _Flpm
        lsl     r20
        ror     r21
        ror     r20
        ret
_Flpm:  lpm     r21,Z+
        lpm     r20,Z+
        lpm     r19,Z+
        lpm     r18,Z+
        ret

_Flog:  rcall   _Fln
        ldi     r18,0x8E
        ldi     r19,0x5D
        ldi     r20,0x13
        ldi     r21,0x40
        rjmp    _Fdiv
_Fln:   sbrc    r25,7
        rjmp    _Fnan
        mov     r20,r24
        lsl     r20
        mov     r21,r25
        rol     r21
        breq    _Fln1
        cpi     r21,0xFF
        brne    _Fln2
_Fln1:  rjmp    _Fnan
_Fln2:  mov     xl,r24
        andi    xl,0x7F
        or      xl,r23
        or      xl,r22
        brne    _Fln3
        mov     r22,r21
        clr     r23
        subi    r22,0x7F
        sbci    r23,0x00
        mov     r24,r23
        mov     r25,r23
        rcall   _Fs2f
        ldi     r18,0x18
        ldi     r19,0x72
        ldi     r20,0x31
        ldi     r21,0x3F
        rjmp    _Fmul
_Fln3:  push    r21
        ldi     r25,0x3F
        andi    r24,0x7F
        ldi     ZL,byte1(_FtblLn*2)
        ldi     ZH,byte2(_FtblLn*2)
        rcall   _Fpot
        pop     r21
        push    r22
        push    r23
        push    r24
        push    r25
        mov     r22,r21
        clr     r23
        subi    r22,0x7E
        sbci    r23,0x00
        mov     r24,r23
        mov     r25,r23
        rcall   _Fs2f
        ldi     r18,0x18
        ldi     r19,0x72
        ldi     r20,0x31
        ldi     r21,0x3F
        rcall   _Fmul
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fadd

_FtblLn:
.db 0x05,0x81,0x35,0x04,0xF4,0x83,0x20,0x00,0x01,0x83
.db 0x62,0x46,0x32,0x83,0x20,0x00,0x00,0x81,0x62,0x46
.db 0x30,0x7F,0x00,0x00,0x00,0x05,0x82,0x77,0x8C,0x4F
.db 0x81,0x43,0x2C,0xE2,0x82,0x17,0xBF,0x24,0x83,0xA4
.db 0x8D,0xD9,0x81,0xE1,0xD8,0xA1,0x80,0xDB,0x67,0x82

_Fexp:  push    r12
        push    r13
        push    r14
        push    r15
        sbrc    r25,7
        rjmp    _Fexp1
        ldi     r18,0x18
        ldi     r19,0x72
        ldi     r20,0xB1
        ldi     r21,0x42
        rjmp    _Fexp2
_Fexp1: ldi     r18,0x50
        ldi     r19,0xAC
        ldi     r20,0xAE
        ldi     r21,0x42
_Fexp2: push    r25
        andi    r25,0x7F
        cp      r22,r18
        cpc     r23,r19
        cpc     r24,r20
        cpc     r25,r21
        brlo    _Fexp3
        pop     r0
        cpi     r25,0x7F
        brne    _Fexp0
        sbrc    r24,7
        rjmp    _Fexp9
_Fexp0: sbrs    r0,7
        rjmp    _Fexp9
        rcall   _Fclr
        rjmp    _Fexp8
_Fexp3: ldi     r18,0x3B
        ldi     r19,0xAA
        ldi     r20,0xB8
        ldi     r21,0x3F
        rcall   _Fmul
        ldi     r20,0x0C
        clr     r21
        rcall   _Fmodf
        ldi     ZL,byte1(_FtblExp*2)
        ldi     ZH,byte2(_FtblExp*2)
        rcall   _Fpot
        clr     r20
        tst     r15
        breq    _Fexp5
        mov     r19,r14
        lsl     r19
        mov     r18,r15
        rol     r18
        mov     r20,r14
        ori     r20,0x80
        ldi     r19,0x86
        sub     r19,r18
        breq    _Fexp5
_Fexp4: lsr     r20
        dec     r19
        brne    _Fexp4
_Fexp5: lsl     r24
        rol     r25
        add     r25,r20
        brcs    _Fexp7
        cpi     r25,0xFF
        breq    _Fexp7
        lsr     r25
        ror     r24
        pop     r0
        sbrc    r0,7
        rcall   _Finv
        rjmp    _Fexp8
_Fexp7: pop     r0
_Fexp9: rcall   _Fnan
_Fexp8: pop     r15
        pop     r14
        pop     r13
        pop     r12
        ret

_FtblExp:
.db 0x06, 0x72, 0x65, 0x2C, 0x03, 0x75
.db 0x22, 0x3B, 0x59, 0x78, 0x1E, 0xBA
.db 0xE0, 0x7A, 0x63, 0x3B, 0xF4, 0x7C
.db 0x75, 0xff, 0x4E, 0x7E, 0x31, 0x72
.db 0x11, 0x7F, 0x00, 0x00, 0x00, 0x00

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
        rjmp    _F2e

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
        rjmp    _F2e

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
        rjmp    _Fdiv)";

}  // namespace qbc::bench
