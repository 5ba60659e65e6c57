// Float to text: scientific text (_Fstr) and the fixed-point rewrite of it (_Fdp, _Ffmt).
#include "compiler/library/core/float_text.h"

namespace qbc {

namespace {
bool LargeRam(const CompilerState& st) { return st.dev.RamEnd > 256; }
}  // namespace

// _Fstr: A and the number of decimals d in r19 (more than 6 is taken as 6) give, in
// _s1tmp, a sign character (" " or "-"), a digit, "." and d digits when d is not 0, "E",
// the exponent's sign and two exponent digits, then a 0 byte; zero gives " 0[.000]E+00",
// NaN "Err". Returns the text's address in r25:r24; keeps r8, r9, r11..r17 and Y.
//
// The decimal exponent k is estimated from the binary one (e2 * log10 2, truncated), the
// value scaled by 10^-k (for k = 38, whose power is no normal float, by 10^-37 after a
// division by 10), normalised to a first digit of 1..9, rounded by 0.5 * 10^-d, and the
// digits taken off one by one with _Fmodf (the integer part parked where the digit goes
// next). When rounding carries the first digit to 10 the text is "1" and k + 1; a later
// digit that comes out as 10 (a product rounded up to 10.0) is written as 9.
//
// The write position lives in r9:r8 across the float calls (which use X and Z as scratch)
// and is taken into X to store, Z to read; both of its bytes are loaded whatever the RAM
// size, as X's high byte is whatever the last routine left (_Ffmt after it relies on
// that too). Y stays the frame pointer throughout: an interrupt handler puts its locals
// below Y whenever it fires.
void EmitFloatStrRoutine(CompilerState& st) {
  AsmWriter& out = st.out;
  out.Line();
  out.Text(R"(
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
        ret)");
}

// _Fdp: with _fmtC = 0 the scientific text without decimals; otherwise _Fstr with
// _fmtC + _fmtD decimals (at most 6) and the fixed-point rewrite by _Ffmt.
void EmitFloatDecPointRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fdp:   lds     r19,_fmtC
        tst     r19
        brne    _Fdp0
        rjmp    _Fstr
_Fdp0:  lds     r18,_fmtD
        add     r19,r18
        brcs    _Fdp1
        cpi     r19,0x07
        brlo    _Fdp2
_Fdp1:  ldi     r19,0x06
_Fdp2:  rcall   _Fstr
        rjmp    _Ffmt)");
}

// _Ffmt: the scientific text of _s1tmp as fixed-point text in _s2tmp: the sign
// character, the integer field of _fmtC places (_lchr fill characters before the digits;
// none when _lchr is 0), ".", _fmtD decimals, a 0 byte. Digits come from the scientific
// text as they stand (no second rounding), "0" once its digits are used up. Both
// exponent digits are read. An integer part with more digits than _fmtC places, a text
// that would not fit the 14-byte buffer, and "Err" give the scientific text unchanged.
// r19 exponent, r20 places, r22 decimals, r23 integer digits, r24 fill count, r25 zeros
// after the point; Z reads _s1tmp, X writes _s2tmp.
void EmitFloatFormatRoutine(CompilerState& st) {
  AsmWriter& out = st.out;
  const bool large = LargeRam(st);
  auto z_to_s1 = [&](const char* label) {
    out.Instr(label, Sep::kColumn, "ldi", "zl,byte1(_s1tmp)");
    if (large) out.Instr(Sep::kColumn, "ldi", "zh,byte2(_s1tmp)");
  };
  out.Line();
  z_to_s1("_Ffmt");
  out.Instr(Sep::kColumn, "ldi", "xl,byte1(_s2tmp)");
  if (large) out.Instr(Sep::kColumn, "ldi", "xh,byte2(_s2tmp)");
  out.Text(R"(
        ld      r18,Z
        cpi     r18,0x45
        brne    _Ffm0
        rjmp    _Ffm50
_Ffm0:  ld      r18,Z+
        cpi     r18,0x45
        brne    _Ffm0
        ld      r21,Z+
        ld      r18,Z+
        andi    r18,0x0F
        mov     r19,r18
        lsl     r19
        lsl     r19
        add     r19,r18
        lsl     r19
        ld      r18,Z
        andi    r18,0x0F
        add     r19,r18
        lds     r20,_fmtC
        tst     r20
        brne    _Ffm1
        inc     r20
_Ffm1:  lds     r22,_fmtD
        clr     r25
        mov     r18,r20
        cpi     r21,0x2D
        brne    _Ffm2
        clr     r23
        mov     r24,r20
        dec     r24
        mov     r25,r19
        dec     r25
        rjmp    _Ffm3
_Ffm2:  mov     r23,r19
        inc     r23
        cp      r18,r23
        brlo    _Ffm31
        mov     r24,r18
        sub     r24,r23
_Ffm3:  add     r18,r22
        brcs    _Ffm31
        cpi     r18,0x0C
        brlo    _Ffm40
_Ffm31: rjmp    _Ffm50)");
  z_to_s1("_Ffm40");
  out.Text(R"(
        ld      r18,Z+
        st      X+,r18
        lds     r18,_lchr
        tst     r18
        breq    _Ffm6
        tst     r24
        breq    _Ffm6
_Ffm5:  st      X+,r18
        dec     r24
        brne    _Ffm5
_Ffm6:  tst     r23
        brne    _Ffm7
        ldi     r18,0x30
        st      X+,r18
        rjmp    _Ffm8
_Ffm7:  rcall   _Ffm20
        st      X+,r18
        dec     r23
        brne    _Ffm7
_Ffm8:  ldi     r18,0x2E
        st      X+,r18
        tst     r22
        breq    _Ffm11
_Ffm9:  ldi     r18,0x30
        tst     r25
        breq    _Ffm10
        dec     r25
        rjmp    _Ffm30
_Ffm10: rcall   _Ffm20
_Ffm30: st      X+,r18
        dec     r22
        brne    _Ffm9
_Ffm11: clr     r18
        st      X,r18
        ret
_Ffm20: ld      r18,Z+
        cpi     r18,0x2E
        breq    _Ffm20
        cpi     r18,0x45
        brne    _Ffm21
        ld      r18,-Z
        ldi     r18,0x30
_Ffm21: ret)");
  z_to_s1("_Ffm50");
  out.Text(R"(
        ldi     r19,0x0E
_Ffm51: ld      r18,Z+
        st      X+,r18
        tst     r18
        breq    _Ffm52
        dec     r19
        brne    _Ffm51
        st      -X,r19
_Ffm52: ret)");
}

}  // namespace qbc
