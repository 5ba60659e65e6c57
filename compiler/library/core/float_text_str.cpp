// Float to text: _Fstr, the scientific text of a float in _s1tmp, its digits exactly
// rounded from an integer product (the scaling facts and the table in float_text_scale.h).
#include "compiler/library/core/float_text.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/base/core_flash_read.h"
#include "compiler/base/decl_text.h"
#include "compiler/library/core/float_text_scale.h"

namespace qbc {

namespace {

// The product bytes P1..P9 of _Fstr's multiply with mul (P0 is never needed: nothing
// carries out of it).
constexpr const char* kProduct[10] = {"", "r16", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15"};

std::string HexByte(std::uint32_t value) { return Hex2(value, HexForm::Prefixed0xUpper); }

// The flash read of one table byte into `reg`, in the device's form.
void ReadTableByte(CompilerState& st, const std::string& reg) {
  WriteFlashReadLines(st, std::string(AsmWriter::ColumnWidth, ' '), Sep::kColumn, reg, reg != "r0");
}

// Z = the table entry r20 (index * 7 bytes from _FtblTen); where the flash reaches
// beyond 64 KB the caller's RAMPZ goes on the stack and RAMPZ takes the address's third
// byte. r25 is scratch.
void EmitTableAddress(CompilerState& st, bool rampz) {
  AsmWriter& out = st.out;
  if (rampz) out.Text(R"(
        in      r25,RAMPZ
        push    r25)");
  out.Text(R"(
        mov     zl,r20
        clr     zh
        lsl     zl
        rol     zh
        lsl     zl
        rol     zh
        lsl     zl
        rol     zh
        sub     zl,r20
        sbci    zh,0x00
        ldi     r25,byte1(_FtblTen*2)
        add     zl,r25
        ldi     r25,byte2(_FtblTen*2)
        adc     zh,r25)");
  if (rampz) out.Text(R"(
        ldi     r25,byte3(_FtblTen*2)
        brcc    _Fstr4
        inc     r25
_Fstr4: out     RAMPZ,r25)");
}

// m times the table byte at Z, byte by byte with mul: the entry's bytes t0..t6 are read
// in turn and m * tj added into P(j) .. P(j + 3), the top one new (r17 = 0).
void EmitProductWithMul(CompilerState& st) {
  AsmWriter& out = st.out;
  out.Instr(Sep::kColumn, "clr", "r17");
  ReadTableByte(st, "r25");
  out.Text(R"(
        mul     r22,r25
        mov     r16,r1
        mul     r23,r25
        add     r16,r0
        mov     r8,r1
        adc     r8,r17
        mul     r24,r25
        add     r8,r0
        mov     r9,r1
        adc     r9,r17)");
  for (int j = 1; j <= 6; ++j) {
    const std::string p0 = kProduct[j], p1 = kProduct[j + 1], p2 = kProduct[j + 2], p3 = kProduct[j + 3];
    ReadTableByte(st, "r25");
    const std::pair<const char*, std::string> lines[] = {
        {"mul", "r24,r25"}, {"add", p2 + ",r0"}, {"mov", p3 + ",r1"}, {"adc", p3 + ",r17"},
        {"mul", "r22,r25"}, {"add", p0 + ",r0"}, {"adc", p1 + ",r1"}, {"adc", p2 + ",r17"},
        {"adc", p3 + ",r17"}, {"mul", "r23,r25"}, {"add", p1 + ",r0"}, {"adc", p2 + ",r1"},
        {"adc", p3 + ",r17"}};
    for (const auto& [mnemonic, operands] : lines) out.Instr(Sep::kColumn, mnemonic, operands);
  }
}

// The same product by shift and add: the entry in r18, r19, r25, r26, r27, r1, r0, the
// 80-bit sum in r15..r9:r8:r16:r17 with m in its low bytes to begin with; each of the 24
// steps adds the entry when the bit of m that left the sum is 1. d and delta wait on the
// stack meanwhile; X is loaded again afterwards.
void EmitProductByShifts(CompilerState& st, bool rampz) {
  AsmWriter& out = st.out;
  out.Text(R"(
        push    r19
        push    r18)");
  EmitTableAddress(st, rampz);
  for (const char* reg : {"r18", "r19", "r25", "r26", "r27", "r1", "r0"}) ReadTableByte(st, reg);
  if (rampz) out.Text(R"(
        pop     r30
        out     RAMPZ,r30)");
  out.Text(R"(
        clr     r9
        clr     r10
        clr     r11
        clr     r12
        clr     r13
        clr     r14
        clr     r15
        mov     r8,r24
        mov     r16,r23
        mov     r17,r22
        ldi     r30,0x18
        lsr     r8
        ror     r16
        ror     r17
_Fst20: brcc    _Fst21
        add     r9,r18
        adc     r10,r19
        adc     r11,r25
        adc     r12,r26
        adc     r13,r27
        adc     r14,r1
        adc     r15,r0
_Fst21: ror     r15
        ror     r14
        ror     r13
        ror     r12
        ror     r11
        ror     r10
        ror     r9
        ror     r8
        ror     r16
        ror     r17
        dec     r30
        brne    _Fst20
        pop     r18
        pop     r19
        ldi     xl,byte1(_s1tmp+1)
        ldi     xh,byte2(_s1tmp+1))");
}

}  // namespace

// _Fstr: A and the number of decimals d in r19 (more than 6 is taken as 6) give, in
// _s1tmp, a sign character (" " or "-"), a digit, "." and d digits when d is not 0, "E",
// the exponent's sign and two exponent digits, then a 0 byte; zero and the subnormals
// give " 0[.000]E+00", infinities and NaN "Err". Returns the text's address in r25:r24;
// keeps every register but A, B, r0, X and Z (it saves r1 and r8..r17), and never uses Y
// (an interrupt handler puts its locals below Y whenever it fires).
//
// The digits are the float's exact value rounded to the 1 + d digits written, a value
// exactly halfway taking the digits further from zero; integers only (the scaling facts
// are in float_text_scale.h):
// - x = field * 19729 - 15215 gives the table index of the decimal exponent k (r20) and
//   delta (r18); m (r24:r23:r22, the leading one put back) times the table entry of 10^-k
//   is the float times 10^-k, a number from 1 to 20, 2^(78 - delta) times too large and
//   less than 2^-51 below it. Where the chip multiplies (mul), nine product bytes are
//   summed while the entry is read byte by byte; elsewhere by shift and add, 24 steps.
// - Bytes 2 .. 9 of the product shifted up by 2 + delta: the integer part in r25, a 56-bit
//   fraction in r15..r9. An integer part of 10 .. 19 is the digit 1 (and k + 1) followed
//   by the units; each further digit is the byte that multiplying the fraction by ten
//   carries out of it (r18 and r8, r0, r1, r16, r17, r30, r31 hold the copy).
// - The digit after the last one written decides: 5 or more rounds up, 3 or less down.
//   A 4 with a fraction within 2^-24 of 1 behind it may stand for an exact half that the
//   cut entry put just below: the float is exactly halfway when m has exactly
//   index - d - field + 111 trailing zero bits (r21). Over every float no value that is
//   not halfway lies closer to the half than the product's error, so nothing else needs
//   deciding. Rounding up carries through the digits written; a carry out of the first
//   makes it 1 and k + 1.
void EmitFloatStrRoutine(CompilerState& st) {
  AsmWriter& out = st.out;
  const bool mul = st.dev.HardwareMultiplier;
  const bool rampz = st.dev.NeedRampz;
  out.Line();
  out.Text(R"(
_Fstr:  push    r1
        push    r8
        push    r9
        push    r10
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
_Fstr0: mov     r21,r24
        lsl     r21
        mov     r21,r25
        rol     r21
        brne    _Fstr1
        ldi     r20,0x20
        st      X+,r20
        ldi     r20,0x30
        st      X+,r20
        tst     r19
        breq    _Fst24
        ldi     r20,0x2E
        st      X+,r20
        ldi     r20,0x30
_Fst23: st      X+,r20
        dec     r19
        brne    _Fst23
_Fst24: ldi     r20,0x45
        st      X+,r20
        ldi     r20,0x2B
        st      X+,r20
        ldi     r20,0x30
        st      X+,r20
        st      X+,r20
        rjmp    _Fst22
_Fstr1: cpi     r21,0xFF
        brne    _Fstr2
        ldi     r20,0x45
        st      X+,r20
        ldi     r20,0x72
        st      X+,r20
        st      X+,r20
        rjmp    _Fst22
_Fstr2: ldi     r20,0x20
        sbrc    r25,7
        ldi     r20,0x2D
        st      X+,r20
        ori     r24,0x80)");
  // x = field * scale - offset: index in r20, the fraction in zh:zl.
  const std::uint32_t scale = kFloatTextLog2Scale, offset = kFloatTextLog2Offset;
  if (mul) {
    out.Instr(Sep::kColumn, "ldi", "r20," + HexByte(scale));
    out.Text(R"(
        mul     r21,r20
        movw    zl,r0)");
    out.Instr(Sep::kColumn, "ldi", "r20," + HexByte(scale >> 8));
    out.Text(R"(
        mul     r21,r20
        add     zh,r0
        clr     r20
        adc     r20,r1)");
  } else {
    const std::uint32_t minus = 0x1000000 - scale;
    out.Text(R"(
        clr     zl
        clr     zh
        clr     r20
        mov     r25,r21
        ldi     r18,0x08
_Fstr5: lsl     zl
        rol     zh
        rol     r20
        lsl     r25
        brcc    _Fstr6)");
    out.Instr(Sep::kColumn, "subi", "zl," + HexByte(minus));
    out.Instr(Sep::kColumn, "sbci", "zh," + HexByte(minus >> 8));
    out.Instr(Sep::kColumn, "sbci", "r20," + HexByte(minus >> 16));
    out.Instr("_Fstr6", Sep::kColumn, "dec", "r18");
    out.Instr(Sep::kColumn, "brne", "_Fstr5");
  }
  out.Instr(Sep::kColumn, "subi", "zl," + HexByte(offset));
  out.Instr(Sep::kColumn, "sbci", "zh," + HexByte(offset >> 8));
  out.Instr(Sep::kColumn, "sbci", "r20," + HexByte(offset >> 16));
  // delta: how many steps the fraction reaches.
  out.Instr(Sep::kColumn, "clr", "r18");
  for (size_t i = 0; i < kFloatTextDeltaSteps.size(); ++i) {
    const std::uint32_t step = kFloatTextDeltaSteps[i];
    out.Instr(Sep::kColumn, "cpi", "zl," + HexByte(step));
    out.Instr(Sep::kColumn, "ldi", "r25," + HexByte(step >> 8));
    out.Instr(Sep::kColumn, "cpc", "zh,r25");
    out.Instr(Sep::kColumn, "brlo", "_Fstr3");
    out.Instr(Sep::kColumn, "inc", "r18");
  }
  out.Label("_Fstr3");
  if (mul) {
    EmitTableAddress(st, rampz);
    EmitProductWithMul(st);
    if (rampz) out.Text(R"(
        pop     r25
        out     RAMPZ,r25)");
  } else {
    EmitProductByShifts(st, rampz);
  }
  // Integer part and fraction: r25:r15..r8 shifted up by 2 + delta.
  out.Text(R"(
        clr     r25
        subi    r18,0xFE
_Fstr7: lsl     r8
        rol     r9
        rol     r10
        rol     r11
        rol     r12
        rol     r13
        rol     r14
        rol     r15
        rol     r25
        dec     r18
        brne    _Fstr7
        neg     r21
        add     r21,r20
        sub     r21,r19)");
  out.Instr(Sep::kColumn, "subi", "r21," + HexByte(0x100 - 111));
  out.Text(R"(
        cpi     r25,0x0A
        brlo    _Fstr8
        subi    r25,0x0A
        inc     r20
        inc     r21
        ldi     r18,0x31
        st      X+,r18
        tst     r19
        breq    _Fst11
        ldi     r18,0x2E
        st      X+,r18
        rjmp    _Fstr9
_Fstr8: inc     r19
_Fstr9: ori     r25,0x30
        st      X+,r25
        cpi     xl,byte1(_s1tmp+2)
        brne    _Fst10
        cpi     r19,0x02
        brlo    _Fst10
        ldi     r18,0x2E
        st      X+,r18
_Fst10: clr     r25
        lsl     r9
        rol     r10
        rol     r11
        rol     r12
        rol     r13
        rol     r14
        rol     r15
        rol     r25
        mov     r8,r9)");
  if (st.dev.MovwInstruction) {
    out.Text(R"(
        movw    r0,r10
        movw    r16,r12
        movw    r30,r14)");
  } else {
    out.Text(R"(
        mov     r0,r10
        mov     r1,r11
        mov     r16,r12
        mov     r17,r13
        mov     r30,r14
        mov     r31,r15)");
  }
  out.Instr(Sep::kColumn, "mov", "r18,r25");
  for (int twice = 0; twice < 2; ++twice) {  // the copy of 2 * fraction times 4
    out.Text(R"(
        lsl     r8
        rol     r0
        rol     r1
        rol     r16
        rol     r17
        rol     r30
        rol     r31
        rol     r18)");
  }
  out.Text(R"(
        add     r9,r8
        adc     r10,r0
        adc     r11,r1
        adc     r12,r16
        adc     r13,r17
        adc     r14,r30
        adc     r15,r31
        adc     r25,r18
        dec     r19
        brne    _Fstr9
_Fst11: cpi     r25,0x05
        brsh    _Fst14
        cpi     r25,0x04
        brne    _Fst17
        mov     r18,r15
        and     r18,r14
        and     r18,r13
        cpi     r18,0xFF
        brne    _Fst17
        cpi     r21,0x18
        brsh    _Fst17
_Fst12: tst     r21
        breq    _Fst13
        lsr     r24
        ror     r23
        ror     r22
        brcs    _Fst17
        dec     r21
        rjmp    _Fst12
_Fst13: sbrs    r22,0
        rjmp    _Fst17
_Fst14: mov     zl,xl
        mov     zh,xh
_Fst15: ld      r18,-Z
        cpi     r18,0x2E
        breq    _Fst15
        inc     r18
        cpi     r18,0x3A
        brlo    _Fst16
        ldi     r18,0x30
        st      Z,r18
        cpi     zl,byte1(_s1tmp+1)
        brne    _Fst15
        ldi     r18,0x31
        inc     r20
_Fst16: st      Z,r18
_Fst17: ldi     r18,0x45
        st      X+,r18
        ldi     r18,0x2B)");
  out.Instr(Sep::kColumn, "subi", "r20," + HexByte(static_cast<std::uint32_t>(-kFloatTextFirstPower)));
  out.Text(R"(
        brcc    _Fst18
        ldi     r18,0x2D
        neg     r20
_Fst18: st      X+,r18
        ldi     r18,0x2F
_Fst19: inc     r18
        subi    r20,0x0A
        brcc    _Fst19
        st      X+,r18
        subi    r20,0xC6
        st      X+,r20
_Fst22: clr     r18
        st      X,r18
        ldi     r24,byte1(_s1tmp)
        ldi     r25,byte2(_s1tmp)
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
        pop     r1
        ret
_FtblTen:)");
  // The table: two 7-byte entries to a line (a line of an odd count is padded).
  std::vector<std::uint8_t> bytes;
  for (std::uint64_t entry : kFloatTextPowers)
    for (int b = 0; b < kFloatTextPowerBytes; ++b) bytes.push_back(static_cast<std::uint8_t>(entry >> (8 * b)));
  for (size_t i = 0; i < bytes.size(); i += 2 * kFloatTextPowerBytes) {
    std::string line = ".db ";
    for (size_t b = i; b < std::min(bytes.size(), i + 2 * kFloatTextPowerBytes); ++b)
      line += (b == i ? "" : ", ") + HexByte(bytes[b]);
    out.Line(line);
  }
}

}  // namespace qbc
