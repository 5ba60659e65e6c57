// The polynomial engine shared by every series approximation of the float library.
#include <string>

#include "compiler/base/assembler_names.h"
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
// M + 1 coefficients). Returns P(x), or Q(x) / P(x) when M is not 0. Horner's rule on
// packed floats; x is kept in r12..r15, the loop count in r10, Z saved around the
// multiplication (whose unpacked form uses Z; the addition leaves it).
//
// _Fodd: x + P(x^2) x^2 x for the table at Z (the odd kernels: the small term carries
// the table's rounding, x is exact). _Fod1 stops before the addition: A = P(x^2) x^2 x,
// B = x. x and x^2 wait on the stack; _Fod2 takes P in A, u and below it x on the stack
// (in the order push r22..r25) to P u x in A and x in B.
void EmitFloatPotRoutine(CompilerState& st) {
  AsmWriter& out = st.out;
  out.Line();
  EmitFloatFunctionText(st, R"(
_Fpot:  push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15)");
  if (st.dev.NeedRampz) {
    // The tables may lie above 64 KB: read them through RAMPZ:Z, and give the caller
    // its RAMPZ back afterwards.
    EmitFloatFunctionText(st, R"(
        in      r20,RAMPZ
        push    r20
        out     RAMPZ,r21)");
  }
  EmitFloatFunctionText(st, R"(
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25)");
  EmitFloatTableRead(st, "", "r10");
  EmitFloatFunctionText(st, R"(
        rcall   _Fpot1)");
  EmitFloatTableRead(st, "", "r10");
  EmitFloatFunctionText(st, R"(
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
        rcall   _Fdiv)");
  if (st.dev.NeedRampz) {
    EmitFloatFunctionText(st, R"(
_Fpot3: pop     r20
        out     RAMPZ,r20
        pop     r15)");
  } else {
    EmitFloatFunctionText(st, R"(
_Fpot3: pop     r15)");
  }
  EmitFloatFunctionText(st, R"(
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
        rcall   _Fadd
        dec     r10
        brne    _Fpot2
        ret
_Fpot5: rcall   _Flpm
        lsl     r20
        ror     r21
        ror     r20
        ret)");
  // _Flpm: four table bytes into r21, r20, r19, r18 (a coefficient: biased exponent, then
  // sign and the top mantissa bits, then the two lower mantissa bytes). _Fpot5 above turns
  // it into the packed float layout.
  EmitFloatTableRead(st, "_Flpm:  ", "r21");
  EmitFloatTableRead(st, "", "r20");
  EmitFloatTableRead(st, "", "r19");
  EmitFloatTableRead(st, "", "r18");
  EmitFloatFunctionText(st, R"(
        ret
_Fodd:  rcall   _Fod1
        rjmp    _Fadd
_Fod1:  push    r22
        push    r23
        push    r24
        push    r25
        push    zl
        push    zh)");
  // the table address's third byte, which _Fpot puts into RAMPZ
  if (st.dev.NeedRampz) out.Text("\n        push    r21");
  EmitFloatFunctionText(st, R"(
        rcall   _Fpow2)");
  if (st.dev.NeedRampz) out.Text("\n        pop     r21");
  EmitFloatFunctionText(st, R"(
        pop     zh
        pop     zl
        push    r22
        push    r23
        push    r24
        push    r25
        rcall   _Fpot
_Fod2:  pop     r21
        pop     r20
        pop     r19
        pop     r18
        rcall   _Fmul
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        push    r18
        push    r19
        push    r20
        push    r21
        rcall   _Fmul
        pop     r21
        pop     r20
        pop     r19
        pop     r18
        ret)");
}

}  // namespace qbc
