// Base of the float library: unpacking with the NaN exit, packing with round to nearest
// even, NaN and zero results, the long/float conversions, negation, the copy of A into B,
// and the operand exchange _Fmov.
#include <string>

#include "compiler/library/core/float_core.h"

namespace qbc {

void EmitFloatCoreRoutines(CompilerState& st) {
  AsmWriter& out = st.out;
  out.Text(R"(
;  Single-precision float library: IEEE 754 format, A in r25..r22, B in r21..r18
;  Round to nearest even; results below the normal range are 0; INF/NaN gives NaN
;  Uses r0, r7 (left 0), X, Z, T; keeps r1..r6, r8..r17 and Y
)");
  out.Line();
  // Unpacking. _Fwrk2 takes B, _Fwrk3 A: the exponent into r25 (r21) with the sign shifted
  // out, the leading one from "0 < exponent" rotated back in, exponent 0 read as 1.
  out.Text(R"(
_Fwrk1: mov     r0,r25
        eor     r0,r21
        bst     r0,7
_Fwrk2: lsl     r20
        rol     r21
        cpi     r21,0xFF
        breq    _Fwrk0
        clr     xl
        cp      xl,r21
        ror     r20
        sbrs    r20,7
        inc     r21
_Fwrk3: lsl     r24
        rol     r25
        cpi     r25,0xFF
        breq    _Fwrk0
        clr     xh
        cp      xh,r25
        ror     r24
        sbrs    r24,7
        inc     r25
        ret
_Fwrk0: pop     r0
        pop     r0)");
  // (the third byte of the return address on chips with a 22-bit program counter)
  if (st.dev.WideProgramCounter) out.Instr(Sep::kColumn, "pop", "r0");
  // Packing: zero and NaN exits, normalisation (whole bytes first), then rounding without
  // branches: the extension byte with bit 0 set for a lost rest or an odd mantissa rounds
  // up from 0x81, so an exact half rounds to even.
  out.Text(R"(
_Fnan:  ldi     r25,0xFF
        ldi     r24,0xC0
        clr     r7
        ret
_Fback: clr     r7
        tst     r25
        breq    _Fclr
        cpi     r25,0xFF
        breq    _Fnan
        sbrs    r24,7
        rjmp    _Fbck1
_Fbck3: cpse    r0,r7
        ori     xh,0x01
        sbrc    r22,0
        ori     xh,0x01
        cpi     xh,0x81
        sbci    r22,0xFF
        sbci    r23,0xFF
        sbci    r24,0xFF
        sbci    r25,0xFF
        cpi     r25,0xFF
        breq    _Fnan
        lsl     r24
        lsr     r25
        ror     r24
        bld     r25,7
        ret
_Fbck1: tst     r24
        brmi    _Fbck3
        brne    _Fbck2
        cp      r23,r7
        cpc     r22,r7
        cpc     xh,r7
        breq    _Fclr
        cpi     r25,0x09
        brlo    _Fclr
        subi    r25,0x08
        mov     r24,r23
        mov     r23,r22
        mov     r22,xh
        clr     xh
        rjmp    _Fbck1
_Fbck2: dec     r25
        breq    _Fclr
        lsl     xh
        rol     r22
        rol     r23
        rol     r24
        brpl    _Fbck2
        rjmp    _Fbck3
_Fclr:  clr     xh
        clr     r22
        clr     r23
        clr     r24
_Fclr1: clr     r25
        ret
_Fxsf:  bst     r25,7
        rcall   _Fwrk3
        cpi     r25,0x7F
        brlo    _Fclr
        cpi     r25,0x9F
        brsh    _Fclr
        ldi     zl,0x9E
        sub     zl,r25
        mov     r25,r24
        mov     r24,r23
        mov     r23,r22
        clr     r22
        rjmp    _Fxsf2
_Fxsf1: mov     r22,r23
        mov     r23,r24
        mov     r24,r25
        clr     r25
_Fxsf2: subi    zl,0x08
        brcc    _Fxsf1
        subi    zl,0xF8
        brne    _Fxsf3
        brtc    _Fneg1
        rjmp    _Fneg
_Fxsf3: lsr     r25
        ror     r24
        ror     r23
        ror     r22
        dec     zl
        brne    _Fxsf3
        brtc    _Fneg1
_Fneg:  com     r25
        com     r24
        com     r23
        neg     r22
        sbci    r23,0xFF
        sbci    r24,0xFF
        sbci    r25,0xFF
_Fneg1: ret
_Fba:   mov     r21,r25
        mov     r20,r24
        mov     r19,r23
        mov     r18,r22
        ret
_Fus2f: clt
        rjmp    _Fs2f1
_Fs2f:  bst     r25,7
        brtc    _Fs2f1
        rcall   _Fneg
_Fs2f1: mov     xh,r22
        mov     r22,r23
        mov     r23,r24
        mov     r24,r25
        ldi     r25,0x9E
        clr     r0
        rjmp    _Fback)");
}

void EmitFloatMoveRoutine(CompilerState& st) {
  AsmWriter& out = st.out;
  out.Instr("_Fmov", Sep::kNarrow, "push", "r22");
  for (const char* r : {"r23", "r24", "r25"}) out.Instr(Sep::kNarrow, "push", r);
  for (const char* m : {"r25,r21", "r24,r20", "r23,r19", "r22,r18"}) out.Instr(Sep::kWide, "mov", m);
  for (const char* r : {"r21", "r20", "r19", "r18"}) out.Instr(Sep::kWide, "pop", r);
  out.Instr("ret");
}

}  // namespace qbc
