// Sine, cosine and tangent of the float library (radians), with their tables, and the
// reduction to a quadrant that the three share.
#include <string>

#include "compiler/base/flags/float_flags.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

// _Fsin, _Fcos: |x| = k pi/2 + r (_Fquad, r16 counting the quadrant), then the kernel of
// the quadrant: sin r = r + S(u) u r (_FtblSin, through _Fodd) for an even quadrant,
// cos r = C(u) (_FtblCos, the whole polynomial in u = r^2) for an odd one, negated in
// quadrants 2 and 3. The cosine is the sine one quadrant on (r16 starts at 1) of |x|; the
// sine works on |x| and takes x's sign (r16 bit 7, above the quadrant count) last, so
// sin(-x) = -sin x and cos(-x) = cos x bit for bit. Small arguments need no path of their
// own: below 2^-13 the kernels' next terms are below half a unit (sin x = x, cos x = 1).
// NaN gives NaN (_Fquad's).
void EmitFloatSinCosRoutine(CompilerState& st) {
  // _Fquad comes later in the link order.
  st.used.Set(NeedFquad);
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fcos:  ldi     xl,0x01
        andi    r25,0x7F
        rjmp    _Fsn1
_Fsin:  clr     xl
_Fsn1:  push    r16
        mov     r16,r25
        andi    r16,0x80
        or      r16,xl
        andi    r25,0x7F
        rcall   _Fquad
        sbrc    r16,0
        rjmp    _Fsn3)");
  EmitFloatTableAddress(st, "_FtblSin");
  EmitFloatFunctionText(st, R"(
        rcall   _Fodd
        rjmp    _Fsn4
_Fsn3:  rcall   _Fpow2)");
  EmitFloatTableAddress(st, "_FtblCos");
  EmitFloatFunctionText(st, R"(
        rcall   _Fpot
_Fsn4:  sbrc    r16,1
        subi    r25,0x80
        andi    r16,0x80
        eor     r25,r16
        pop     r16
        ret

_FtblSin:
.db 0x02, 0x72, 0xCC, 0x74, 0x64, 0x78, 0x08, 0x83
.db 0x30, 0x7C, 0xAA, 0xAA, 0xA2, 0x00

_FtblCos:
.db 0x04, 0x6F, 0x4D, 0x2B, 0x87, 0x75, 0xB6, 0x07
.db 0x18, 0x7A, 0x2A, 0xAA, 0xA7, 0x7E, 0x80, 0x00
.db 0x00, 0x7F, 0x00, 0x00, 0x00, 0x00)");
}

// _Ftan: tan r = r + N(u)/D(u) u r (_FtblTan: D, then N) on the quadrant's r, and
// -1 / tan r in the odd quadrants, where an r below 2^-24 gives NaN (x within a few 1e-8
// of a pole, tan x beyond 2^24: pi/2 itself, 90 degrees). Worked on |x|, x's sign (r16
// bit 7) last; below 2^-13 the kernel gives x itself. NaN gives NaN (_Fquad's).
void EmitFloatTanRoutine(CompilerState& st) {
  st.used.Set(NeedFquad);
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Ftan:  push    r16
        mov     r16,r25
        andi    r16,0x80
        andi    r25,0x7F
        rcall   _Fquad)");
  EmitFloatTableAddress(st, "_FtblTan");
  EmitFloatFunctionText(st, R"(
        sbrs    r16,0
        rjmp    _Ftn2
        mov     xh,r25
        andi    xh,0x7F
        cpi     r24,0x80
        ldi     xl,0x33
        cpc     xh,xl
        brlo    _Ftn7
_Ftn2:  rcall   _Fodd
        sbrs    r16,0
        rjmp    _Ftn3
        rcall   _Finv
        subi    r25,0x80
_Ftn3:  andi    r16,0x80
        eor     r25,r16
        pop     r16
        ret
_Ftn7:  rcall   _Fnan
        rjmp    _Ftn3

_FtblTan:
.db 0x01, 0x7D, 0xCF, 0x7D, 0x9E, 0x7F, 0x00, 0x00
.db 0x00, 0x02, 0x71, 0x8B, 0xD1, 0x80, 0x75, 0xE5
.db 0x94, 0x89, 0x7D, 0x2A, 0xAA, 0xAA)");
}

// _Fquad: A = |x| becomes r with |x| = k pi/2 + r, |r| <= pi/4,
// and k is added to r16 (its low two bits count); NaN (or an infinity) gives NaN. Below
// 0.78515625 (0x3F490000, a little below pi/4), r = |x|. Beyond, exactly for
// every float, without float arithmetic: with |x| = m 2^(e - 150), the 11 bytes of
// _Ftbl2pi from bit e - 111 on (a whole byte, m shifted left by the bits left over) are the
// part of 2^(e - 150) 2/pi below 4, to 86 bits below the point, so that m times them modulo
// 2^88 is |x| 2/pi modulo 4 to 2^-55 (the bits of 2/pi above add whole turns). The nearest
// whole number to it is k; the fraction f, from 1/2 on complemented (1 - f less 2^-86; the
// three lowest bytes, which never reach the top 32 bits, as they are), is taken up to its
// first 1 bit (at least 2^-30 for any float: at most three whole bytes, which _Fqml1
// shifts in with M = 0), and its top 32 bits times
// pi/2 (32 bits, _Ftblpi2) give r, rounded once by the core's packing with the rest
// counted as lost (r is never exact). The products by bytes are _Fqml's. It saves r1 and
// r8..r15.
//
// _Fqml: acc = acc 256 + M t for each of xl table bytes t at Z (_Fqml1: t in r21 as it
// is, for one step), M in r25..r22 (below 2^31),
// acc in r20, r19, r18, r15..r8 modulo 2^88 (11 steps shift out what it held before). A
// byte product with the carry and the byte it lands on is at most 0xFFFF: the column sums
// need no carry chain of their own. r7 is the zero of the carries (_Fquad clears it: only
// the core's packing leaves it 0).
void EmitFloatQuadrantRoutine(CompilerState& st) {
  const bool rampz = st.dev.NeedRampz;
  st.out.Line();
  EmitFloatFunctionText(st, R"(
_Fquad: cpi     r24,0x49
        ldi     xl,0x3F
        cpc     r25,xl
        brsh    _Fqd0
        ret
_Fqd0:  mov     xh,r24
        lsl     xh
        mov     xh,r25
        rol     xh
        cpi     xh,0xFF
        brne    _Fqd7
        rjmp    _Fnan
_Fqd7:  clr     r7
        push    r1
        push    r8
        push    r9
        push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15)");
  if (rampz) EmitFloatFunctionText(st, R"(
        in      r0,RAMPZ
        push    r0)");
  EmitFloatFunctionText(st, R"(
        ori     r24,0x80
        clr     r25
        subi    xh,0x6F
        mov     xl,xh
        andi    xl,0x07
        breq    _Fqd2
_Fqd1:  lsl     r22
        rol     r23
        rol     r24
        rol     r25
        dec     xl
        brne    _Fqd1
_Fqd2:  lsr     xh
        lsr     xh
        lsr     xh)");
  EmitFloatTableAddress(st, "_Ftbl2pi");
  EmitFloatFunctionText(st, R"(
        add     zl,xh
        adc     zh,r7)");
  if (rampz) EmitFloatFunctionText(st, R"(
        adc     r21,r7
        out     RAMPZ,r21)");
  EmitFloatFunctionText(st, R"(
        ldi     xl,0x0B
        rcall   _Fqml
        ldi     xl,0x20
        add     xl,r20
        swap    xl
        lsr     xl
        lsr     xl
        add     r16,xl
        bst     r20,5
        brtc    _Fqd3
        com     r11
        com     r12
        com     r13
        com     r14
        com     r15
        com     r18
        com     r19
        com     r20
_Fqd3:  andi    r20,0x3F
        clr     r22
        clr     r23
        mov     r24,r22
        mov     r25,r23
        ldi     r21,0x82
_Fqd4:  tst     r20
        brne    _Fqd5
        ldi     xl,0x01
        rcall   _Fqml1
        subi    r21,0x08
        rjmp    _Fqd4
_Fqd5:  sbrc    r20,7
        rjmp    _Fqd6
        lsl     r14
        rol     r15
        rol     r18
        rol     r19
        rol     r20
        dec     r21
        rjmp    _Fqd5
_Fqd6:  push    r21
        mov     r25,r20
        mov     r24,r19
        mov     r23,r18
        mov     r22,r15
        clr     r8
        clr     r9
        mov     r10,r8
        mov     r11,r9)");
  EmitFloatTableAddress(st, "_Ftblpi2");
  if (rampz) EmitFloatFunctionText(st, R"(
        out     RAMPZ,r21)");
  EmitFloatFunctionText(st, R"(
        ldi     xl,0x04
        rcall   _Fqml
        pop     r25)");
  if (rampz) EmitFloatFunctionText(st, R"(
        pop     r0
        out     RAMPZ,r0)");
  EmitFloatFunctionText(st, R"(
        mov     r24,r15
        mov     r23,r14
        mov     r22,r13
        mov     xh,r12
        mov     r0,r25
        pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r11
        pop     r10
        pop     r9
        pop     r8
        pop     r1
        rjmp    _Fback)");
  // the products by bytes: mul, or the shift and add of _Fqm where the chip has no mul
  const bool mul = st.dev.HardwareMultiplier;
  auto product = [mul](const char* m) {
    return mul ? std::string("\n        mul     ") + m + ",r21"
               : std::string("\n        mov     r0,") + m + "\n        rcall   _Fqm";
  };
  EmitFloatTableRead(st, "_Fqml:  ", "r21");
  std::string loop = R"(
_Fqml1: mov     r20,r19
        mov     r19,r18
        mov     r18,r15
        mov     r15,r14
        mov     r14,r13
        mov     r13,r12
        mov     r12,r11
        mov     r11,r10
        mov     r10,r9
        mov     r9,r8)";
  loop += product("r22") + R"(
        mov     r8,r0
        mov     xh,r1)";
  const char* const places[] = {"r23", "r9", "r24", "r10", "r25", "r11"};
  for (int i = 0; i < 3; ++i) {
    loop += product(places[2 * i]) + R"(
        add     r0,xh
        adc     r1,r7
        add     )" + std::string(places[2 * i + 1]) + R"(,r0
        adc     r1,r7)";
    if (i < 2) loop += "\n        mov     xh,r1";
  }
  loop += R"(
        add     r12,r1
        adc     r13,r7
        adc     r14,r7
        adc     r15,r7
        adc     r18,r7
        adc     r19,r7
        adc     r20,r7
        dec     xl
        brne    _Fqml
        ret)";
  EmitFloatFunctionText(st, loop);
  if (!mul) {
    // r1:r0 = r0 r21, shift and add
    EmitFloatFunctionText(st, R"(
_Fqm:   push    r16
        ldi     r16,0x08
        clr     r1
        lsr     r0
_Fqm1:  brcc    _Fqm2
        add     r1,r21
_Fqm2:  ror     r1
        ror     r0
        dec     r16
        brne    _Fqm1
        pop     r16
        ret)");
  }
  EmitFloatFunctionText(st, R"(

_Ftbl2pi:
.db 0x00, 0x00, 0x00, 0x00, 0x00, 0x51, 0x7C, 0xC1
.db 0xB7, 0x27, 0x22, 0x0A, 0x94, 0xFE, 0x13, 0xAB
.db 0xE8, 0xFA, 0x9A, 0x6E, 0xE0, 0x6D, 0xB1, 0x4A
.db 0xCC, 0x9E, 0x21, 0xC8

_Ftblpi2:
.db 0x64, 0x87, 0xED, 0x51)");
}

}  // namespace qbc
