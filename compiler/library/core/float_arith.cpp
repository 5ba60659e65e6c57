// Arithmetic of the float library: addition and subtraction, multiplication and squaring,
// division and reciprocal, scaling by a power of two. Each packed entry unpacks through
// the core, runs the unpacked routine and packs with _Fback.
#include "compiler/library/core/float_core.h"

namespace qbc {

// _FaddD: the larger magnitude goes to A (the result then takes B's sign when the signs
// differ); B is shifted right by the exponent difference, the bits below 8 first (four at
// once by nibble swaps, then two and one; they fall into the empty r0) and whole bytes
// after (their lost bits ORed into r0), so r0 ends up non-zero exactly when bits below
// the extension byte were lost. A difference of 26 or more leaves A. Z is not used.
void EmitFloatAddSubRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fsub:  subi    r21,0x80
_Fadd:  mov     r7,r25
        rcall   _Fwrk1
        rcall   _FaddD
        rjmp    _Fback
_FaddD: clr     r0
        cp      xh,xl
        cpc     r22,r18
        cpc     r23,r19
        cpc     r24,r20
        cpc     r25,r21
        brcc    _Fadd1
        eor     xh,xl
        eor     xl,xh
        eor     xh,xl
        eor     r22,r18
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
        brtc    _Fadd1
        com     r7
_Fadd1: tst     r21
        breq    _Fadd7
        sub     r21,r25
        neg     r21
        cpi     r21,0x1A
        brsh    _Fadd7
        sbrs    r21,2
        rjmp    _Fadd2
        swap    xl
        mov     r0,xl
        andi    xl,0x0F
        eor     r0,xl
        swap    r18
        eor     xl,r18
        andi    r18,0x0F
        eor     xl,r18
        swap    r19
        eor     r18,r19
        andi    r19,0x0F
        eor     r18,r19
        swap    r20
        eor     r19,r20
        andi    r20,0x0F
        eor     r19,r20
_Fadd2: sbrs    r21,1
        rjmp    _Fadd3
        lsr     r20
        ror     r19
        ror     r18
        ror     xl
        ror     r0
        lsr     r20
        ror     r19
        ror     r18
        ror     xl
        ror     r0
_Fadd3: sbrs    r21,0
        rjmp    _Fadd4
        lsr     r20
        ror     r19
        ror     r18
        ror     xl
        ror     r0
_Fadd4: subi    r21,0x08
        brcs    _Fadd5
        or      r0,xl
        mov     xl,r18
        mov     r18,r19
        mov     r19,r20
        clr     r20
        rjmp    _Fadd4
_Fadd5: brts    _Fadd6
        add     xh,xl
        adc     r22,r18
        adc     r23,r19
        adc     r24,r20
        brcc    _Fadd7
        or      r0,xh
        ror     r24
        ror     r23
        ror     r22
        ror     xh
        inc     r25
_Fadd7: bst     r7,7
        ret
_Fadd6: neg     r0
        sbc     xh,xl
        sbc     r22,r18
        sbc     r23,r19
        sbc     r24,r20
        bst     r7,7
        ret)");
}

// _FmulD: exponent sum less the bias as a 16-bit number in zh:r25; mantissas without their
// leading one (from exponent-0 operands) are normalised first, so the product is exact.
// The top 32 bits of the 48-bit mantissa product go to r24:r23:r22:xh and r0 is non-zero
// exactly when one of the 16 bits below them is; both forms of the product give the same.
// The zero exit stands before _FmulD, within branch reach of the operand tests.
void EmitFloatMulRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fpow2: mov     r21,r25
        mov     r20,r24
        mov     r19,r23
        mov     r18,r22
_Fmul:  rcall   _Fwrk1
        rcall   _FmulD
        rjmp    _Fback
_Fmu11: rjmp    _Fclr
_FmulD: tst     r25
        breq    _Fmu11
        tst     r21
        breq    _Fmu11
        clr     zh
        add     r25,r21
        rol     zh
        subi    r25,0x7F
        sbci    zh,0x00
        sbrc    r24,7
        rjmp    _Fmul2
        mov     zl,r24
        or      zl,r23
        or      zl,r22
        breq    _Fmu11
_Fmul1: lsl     r22
        rol     r23
        rol     r24
        subi    r25,0x01
        sbci    zh,0x00
        sbrs    r24,7
        rjmp    _Fmul1
_Fmul2: sbrc    r20,7
        rjmp    _Fmul4
        mov     zl,r20
        or      zl,r19
        or      zl,r18
        breq    _Fmu11
_Fmul3: lsl     r18
        rol     r19
        rol     r20
        subi    r25,0x01
        sbci    zh,0x00
        sbrs    r20,7
        rjmp    _Fmul3)");
  if (st.dev.HardwareMultiplier) {
    // The nine byte products a_i * b_j (A = r24:r23:r22, B = r20:r19:r18), summed by byte
    // place i + j with r7 as the zero for the carries: the top places first into
    // r21:r20:xh:xl, then the three products below (in registers of a2 and b2, which are
    // done by then) for their carry into xl and the sticky byte. r1 is the caller's.
    st.out.Text(R"(
_Fmul4: push    r1
        clr     r7
        mov     zl,r20
        mul     r24,zl
        movw    r20,r0
        mul     r23,r19
        movw    xl,r0
        mul     r24,r19
        add     xh,r0
        adc     r20,r1
        adc     r21,r7
        mul     r23,zl
        add     xh,r0
        adc     r20,r1
        adc     r21,r7
        mul     r24,r18
        add     xl,r0
        adc     xh,r1
        adc     r20,r7
        adc     r21,r7
        mul     r22,zl
        add     xl,r0
        adc     xh,r1
        adc     r20,r7
        adc     r21,r7
        mul     r22,r18
        mov     zl,r0
        mov     r24,r1
        mul     r23,r18
        add     r24,r0
        adc     xl,r1
        adc     xh,r7
        adc     r20,r7
        adc     r21,r7
        mul     r22,r19
        add     r24,r0
        adc     xl,r1
        adc     xh,r7
        adc     r20,r7
        adc     r21,r7
        pop     r1
        mov     r0,zl
        or      r0,r24
        mov     r24,r21
        mov     r23,r20
        mov     r22,xh
        mov     xh,xl)");
  } else {
    // Shift and add, one multiplier byte of B at a time (_Fmul5); the bits below the top
    // 32 of the product are ORed into r0.
    st.out.Text(R"(
_Fmul4: mov     r21,r24
        mov     zl,r23
        mov     xl,r22
        clr     r24
        clr     r23
        clr     r22
        clr     xh
        rcall   _Fmul5
        mov     r0,xh
        mov     r18,r19
        rcall   _Fmul5
        or      r0,xh
        mov     r18,r20
        rcall   _Fmul5)");
  }
  st.out.Text(R"(
        sbrc    r24,7
        rjmp    _Fmul8
        lsl     xh
        rol     r22
        rol     r23
        rol     r24
        rjmp    _Fmul9
_Fmul8: subi    r25,0xFF
        sbci    zh,0xFF
_Fmul9: tst     zh
        breq    _Fmu10
        ldi     r25,0xFF
        brpl    _Fmu10
        rjmp    _Fclr
_Fmu10: ret)");
  if (!st.dev.HardwareMultiplier) {
    st.out.Text(R"(
_Fmul5: sec
        ror     r18
_Fmul6: brcc    _Fmul7
        add     r22,xl
        adc     r23,zl
        adc     r24,r21
_Fmul7: ror     r24
        ror     r23
        ror     r22
        ror     xh
        lsr     r18
        brne    _Fmul6
        ret)");
  }
}

// _FdivD: exponent difference plus the bias in zh:r25; both mantissas normalised (a zero
// divisor marks NaN, a zero dividend gives zero). The dividend is doubled when it is below
// the divisor, so the first quotient bit is 1 and is taken by subtracting once; _Fdiv9
// then adds quotient bits by restoring division with a 4-byte remainder (top byte r0,
// r7 the zero byte), collecting them complemented behind a marker bit. The doubled
// remainder against the divisor gives the extension byte (0x00, 0x80 for an exact half,
// 0xFF) with no sticky bits.
void EmitFloatDivRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Finv:  mov     r21,r25
        mov     r20,r24
        mov     r19,r23
        mov     r18,r22
        ldi     r25,0x3F
        ldi     r24,0x80
        clr     r23
        clr     r22
_Fdiv:  rcall   _Fwrk1
        rcall   _FdivD
        rjmp    _Fback
_FdivD: clr     r7
        clr     zh
        sub     r25,r21
        sbc     zh,zh
        subi    r25,0x81
        sbci    zh,0xFF
_Fdiv2: sbrs    r20,7
        rjmp    _Fdiv1
_Fdiv4: sbrs    r24,7
        rjmp    _Fdiv3
        mov     xl,r22
        mov     zl,r23
        mov     r21,r24
        clr     r0
        cp      xl,r18
        cpc     zl,r19
        cpc     r21,r20
        brcc    _Fdiv5
        lsl     xl
        rol     zl
        rol     r21
        rol     r0
        subi    r25,0x01
        sbci    zh,0x00
_Fdiv5: sub     xl,r18
        sbc     zl,r19
        sbc     r21,r20
        sbc     r0,r7
        ldi     xh,0x02
        rcall   _Fdiv9
        mov     r24,xh
        ldi     xh,0x01
        rcall   _Fdiv9
        mov     r23,xh
        ldi     xh,0x01
        rcall   _Fdiv9
        mov     r22,xh
        lsl     xl
        rol     zl
        rol     r21
        rol     r0
        ldi     xh,0x80
        cp      xl,r18
        cpc     zl,r19
        cpc     r21,r20
        cpc     r0,r7
        breq    _Fdiv6
        ldi     xh,0xFF
        brcc    _Fdiv6
        clr     xh
_Fdiv6: clr     r0
        tst     zh
        breq    _Fdi10
_Fdiv7: ldi     r25,0xFF
        brpl    _Fdi10
_Fdi11: rjmp    _Fclr
_Fdi10: ret
_Fdiv9: lsl     xl
        rol     zl
        rol     r21
        rol     r0
        sub     xl,r18
        sbc     zl,r19
        sbc     r21,r20
        sbc     r0,r7
        brcc    _Fdiv8
        add     xl,r18
        adc     zl,r19
        adc     r21,r20
        adc     r0,r7
_Fdiv8: rol     xh
        brcc    _Fdiv9
        com     xh
        ret
_Fdiv1: mov     zl,r20
        or      zl,r19
        or      zl,r18
        breq    _Fdiv7
        lsl     r18
        rol     r19
        rol     r20
        subi    r25,0xFF
        sbci    zh,0xFF
        rjmp    _Fdiv2
_Fdiv3: mov     zl,r24
        or      zl,r23
        or      zl,r22
        breq    _Fdi11
        lsl     r22
        rol     r23
        rol     r24
        subi    r25,0x01
        sbci    zh,0x00
        rjmp    _Fdiv4)");
}

// _F2e: A * 2^n with n in r21:r20. The exponent is widened to 16 bits (zh:r25), a mantissa
// without its leading one is normalised first, n is added with a signed overflow check;
// below 1 gives zero, above 254 the NaN pattern (through _Fback).
void EmitFloatToExpRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_F2e:   bst     r25,7
        rcall   _Fwrk3
        mov     zl,r24
        or      zl,r23
        or      zl,r22
        breq    _F2e3
        clr     zh
        sbrc    r24,7
        rjmp    _F2e1
_F2e0:  lsl     r22
        rol     r23
        rol     r24
        subi    r25,0x01
        sbci    zh,0x00
        sbrs    r24,7
        rjmp    _F2e0
_F2e1:  add     r25,r20
        adc     zh,r21
        brvc    _F2e2
        sbrc    r21,7
_F2e3:  rjmp    _Fclr
        ldi     r25,0xFF
        rjmp    _F2e4
_F2e2:  brmi    _F2e3
        breq    _F2e4
        ldi     r25,0xFF
_F2e4:  clr     r0
        rjmp    _Fback)");
}

}  // namespace qbc
