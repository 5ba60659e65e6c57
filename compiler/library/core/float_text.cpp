// Float to text in the number format's fixed-point form: _Fdp chooses, _Ffmt rewrites the
// scientific text of _Fstr (float_text_str.cpp).
#include "compiler/library/core/float_text.h"

namespace qbc {

namespace {
bool LargeRam(const CompilerState& st) { return st.dev.RamEnd > 256; }
}  // namespace

// _Fdp: the text in _s2tmp, where the code that calls it reads it. With _fmtC = 0 the
// scientific text without decimals (copied from _s1tmp by _Ffmt's copy); otherwise _Fstr
// with _fmtC + _fmtD decimals (at most 6) and the fixed-point rewrite by _Ffmt.
void EmitFloatDecPointRoutine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
_Fdp:   lds     r19,_fmtC
        tst     r19
        brne    _Fdp0
        rcall   _Fstr
        rjmp    _Ffm50
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
// that would not fit the 14-byte buffer, and "Err" give the scientific text unchanged
// (_Ffm50 copies it, also for _Fdp).
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
  out.Instr(Sep::kColumn, "ldi", "xl,byte1(_s2tmp)");
  if (large) out.Instr(Sep::kColumn, "ldi", "xh,byte2(_s2tmp)");
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
