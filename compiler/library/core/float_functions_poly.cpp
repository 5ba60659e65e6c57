// The polynomial engine shared by every series approximation of the float library.
#include <string>

#include "compiler/base/assembler_names.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/base/core_flash_read.h"
#include "compiler/codegen/handlers/asm_instruction.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

namespace {

// The register number of "rN"; -1 for any other operand (xl .. zh too).
int RegisterNumber(std::string_view op) { return op.starts_with('r') ? CpuRegisterNumber(op).value_or(-1) : -1; }

// "        mov     rA,rB" -> {A, B}; {-1, -1} for any other line.
std::pair<int, int> ByteMove(std::string_view line) {
  constexpr std::string_view kMov = "        mov     ";
  if (!line.starts_with(kMov)) return {-1, -1};
  line.remove_prefix(kMov.size());
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return {-1, -1};
  return {RegisterNumber(line.substr(0, comma)), RegisterNumber(line.substr(comma + 1))};
}

// A skip instruction: it skips one instruction, so the line after it stays alone.
bool SkipsNext(std::string_view line) {
  const std::size_t label = line.find(':');
  const std::string_view code = TrimBlanks(label == std::string_view::npos ? line : line.substr(label + 1));
  return FormOf(FirstWord(code).first) == InstructionForm::kSkip;
}

}  // namespace

void EmitFloatFunctionText(CompilerState& st, std::string_view text) {
  std::string merged;
  std::string_view pending;   // a pair's first line, waiting for its second
  std::string_view previous;  // the line before: a skip there keeps the pair apart
  auto flush = [&merged](std::string_view line) {
    merged += line;
    merged += '\n';
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!pending.empty()) {
      const auto [a, b] = ByteMove(pending);
      const auto [c, d] = ByteMove(line);
      if (c == a + 1 && d == b + 1) {
        flush("        movw    r" + std::to_string(a) + ",r" + std::to_string(b));
        pending = {};
        continue;
      }
      flush(pending);
      pending = {};
    }
    const auto [a, b] = ByteMove(line);
    if (st.dev.MovwInstruction && a >= 0 && b >= 0 && a % 2 == 0 && b % 2 == 0 && !SkipsNext(previous))
      pending = line;
    else
      flush(line);
    previous = line;
  }
  if (!pending.empty()) flush(pending);
  st.out.Text(merged);
}

void EmitFloatTableRead(CompilerState& st, const std::string& label, const std::string& reg) {
  WriteFlashReadLines(st, label.empty() ? st.out.MnemonicIndent : label, Sep::kNarrow, reg, true);
}

void EmitFloatTableAddress(CompilerState& st, std::string_view table) {
  const std::string t(table);
  st.out.Instr(Sep::kColumn, "ldi", "ZL,byte1(" + t + "*2)");
  st.out.Instr(Sep::kColumn, "ldi", "ZH,byte2(" + t + "*2)");
  if (st.dev.NeedRampz) st.out.Instr(Sep::kColumn, "ldi", "r21,byte3(" + t + "*2)");
}

// _Fpot: x in A, Z on a table (count N, N + 1 coefficients highest power first, count M,
// M + 1 coefficients; M is read only where a linked function's table holds a quotient).
// Returns P(x), or Q(x) / P(x) when M is not 0, and x in B. Horner's rule on
// packed floats: x is kept in r12..r15 (V), Z in r8:r9 across each product (the
// multiplication's unpacked form uses Z), the first polynomial's value on the stack while
// the second is worked, r10 the loop count (low four bits) and the way the call ends (bit
// 5: an odd kernel, bit 6: with its last addition).
//
// _Fodd: x + P(u) u x with u = x^2 for the table at Z (the odd kernels: the small term
// carries the table's rounding, x is exact). _Fod1 stops before the addition: A = P(u) u x,
// B = x. x waits on the stack above the saved registers, and in r12..r15 (where u was) for
// the last steps.
//
// The three share one frame and one loop, so that a kernel goes no deeper than the
// polynomial itself: seven registers saved once, each product and sum one call below them.
// (r2 to r4 are no place for x: a handler takes r2 for the flags, r3 and r4 are bits.)
void EmitFloatPotRoutine(CompilerState& st) {
  const bool rampz = st.dev.NeedRampz;
  // Only what the linked functions use: the odd kernels' entries and last steps, and the
  // second polynomial's loop where a table holds a quotient.
  const bool odd = st.used[NeedFsin] || st.used[NeedFtan] || st.used[NeedFACos] || st.used[NeedFAtan2] ||
                   st.used[NeedFsinh] || st.used[NeedFtanh];
  const bool quotient = st.used[NeedFtan] || st.used[NeedFAtan2] || st.used[NeedFtanh];
  st.out.Line();
  const std::string saves = R"(
        push    r8
        push    r9
        push    r10
        push    r12
        push    r13
        push    r14
        push    r15)";
  std::string text;
  if (odd) text += R"(
_Fodd:  ldi     xl,0x60
        rjmp    _Fpot0
_Fod1:  ldi     xl,0x20
_Fpot0:)" + saves.substr(8) + R"(
        push    r22
        push    r23
        push    r24
        push    r25
        rjmp    _Fpot1)";
  text += std::string("\n_Fpot:  ") + (odd ? "clr     xl" + saves : saves.substr(9)) + "\n_Fpot1:";
  // The tables may lie above 64 KB: read them through RAMPZ:Z, and give the caller its
  // RAMPZ back after the last read.
  if (rampz) text += R"( in      r0,RAMPZ
        push    r0
        out     RAMPZ,r21
       )";
  text += odd ? R"( mov     r10,xl
       )" : R"( clr     r10
       )";
  if (odd) text += R"( sbrs    r10,5
        rjmp    _Fpot2
        mov     r8,zl
        mov     r9,zh
        rcall   _Fpow2
        mov     zl,r8
        mov     zh,r9
_Fpot2:)";
  text += R"( mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25)";
  EmitFloatFunctionText(st, text);
  // Horner's rule from the first coefficient at Z, once for each polynomial: the second
  // works below the first's value, which waits on the stack (a loop of its own, so that
  // a walk of the stack depth sees each push once). The count is r10's low four bits.
  auto horner = [&st](const std::string& loop) {
    EmitFloatFunctionText(st, R"(
        rcall   _Fpot9
        mov     r22,r18
        mov     r23,r19
        mov     r24,r20
        mov     r25,r21
)" + loop + R"(: mov     r8,zl
        mov     r9,zh
        rcall   _Fpotb
        rcall   _Fmul
        mov     zl,r8
        mov     zh,r9
        rcall   _Fpot9
        rcall   _Fadd
        dec     r10
        mov     xl,r10
        andi    xl,0x0F
        brne    )" + loop);
  };
  EmitFloatTableRead(st, "", "xl");
  EmitFloatFunctionText(st, R"(
        or      r10,xl)");
  horner("_Fpot3");
  if (quotient) {
    EmitFloatTableRead(st, "", "xl");
    EmitFloatFunctionText(st, R"(
        tst     xl
        breq    _Fpot6
        or      r10,xl
        push    r22
        push    r23
        push    r24
        push    r25)");
    horner("_Fpot4");
    EmitFloatFunctionText(st, R"(
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fdiv)");
  }
  text = "\n_Fpot6:";
  if (rampz) text += R"( pop     r0
        out     RAMPZ,r0
       )";
  text += R"( rcall   _Fpotb)";
  if (odd) text += R"(
        sbrs    r10,5
        rjmp    _Fpot8
        rcall   _Fmul
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        mov     r12,r18
        mov     r13,r19
        mov     r14,r20
        mov     r15,r21
        rcall   _Fmul
        rcall   _Fpotb
        sbrc    r10,6
        rcall   _Fadd)";
  text += R"(
_Fpot8: pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     r10
        pop     r9
        pop     r8
        ret)";
  // _Fpi2: A = (pi/2 - B) - (A - pi/2's rest), pi/2 in two parts so that a difference
  // with it keeps its last bits (the inverse functions' pi/2 - 2 asin s, pi/2 +- atan v
  // and, with B = -pi/2, pi - atan v).
  if (st.used[NeedFACos] || st.used[NeedFAtan2]) text += R"(
_Fpi2:  push    r18
        push    r19
        push    r20
        push    r21
        ldi     r18,0x2E
        ldi     r19,0xBD
        ldi     r20,0x3B
        ldi     r21,0xB3
        rcall   _Fsub
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
        subi    r25,0x80
        ldi     r18,0xDB
        ldi     r19,0x0F
        ldi     r20,0xC9
        ldi     r21,0x3F
        rcall   _Fadd
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        rjmp    _Fsub)";
  EmitFloatFunctionText(st, text + R"(
_Fpotb: mov     r18,r12
        mov     r19,r13
        mov     r20,r14
        mov     r21,r15
        ret
_Fpot9: rcall   _Flpm
        lsl     r20
        ror     r21
        ror     r20
        ret)");
  // _Flpm: four table bytes into r21, r20, r19, r18 (a coefficient: biased exponent, then
  // sign and the top mantissa bits, then the two lower mantissa bytes). _Fpot9 above turns
  // it into the packed float layout.
  EmitFloatTableRead(st, "_Flpm:  ", "r21");
  EmitFloatTableRead(st, "", "r20");
  EmitFloatTableRead(st, "", "r19");
  EmitFloatTableRead(st, "", "r18");
  EmitFloatFunctionText(st, R"(
        ret)");
}

}  // namespace qbc
