// The polynomial engine shared by every series approximation of the float library.
#include <string>

#include "compiler/base/core_flash_read.h"
#include "compiler/library/core/float_functions.h"

namespace qbc {

namespace {

// One flash byte into a register, advancing Z: "lpm r,Z+" where the device has it,
// otherwise the implicit-r0 form, a pointer step and a copy. `label` comes with its own
// padding.
void EmitTableRead(CompilerState& st, const std::string& label, const std::string& reg) {
  WriteFlashReadLines(st, label.empty() ? st.out.MnemonicIndent : label, Sep::kNarrow, reg, true);
}

}  // namespace

void EmitFloatTableAddress(CompilerState& st, std::string_view table) {
  const std::string t(table);
  st.out.Instr(Sep::kColumn, "ldi", "ZL,byte1(" + t + "*2)");
  st.out.Instr(Sep::kColumn, "ldi", "ZH,byte2(" + t + "*2)");
  if (st.dev.NeedRampz) st.out.Instr(Sep::kColumn, "ldi", "r21,byte3(" + t + "*2)");
}

// _Fpot: x in A, Z on a table (count N, N + 1 coefficients highest power first, count M,
// M + 1 coefficients). Returns P(x), or Q(x) / P(x) when M is not 0. Horner's rule on
// packed floats; x is kept in r12..r15, the loop count in r10, Z saved around each
// arithmetic call (the core uses Z as scratch).
void EmitFloatPotRoutine(CompilerState& st) {
  AsmWriter& out = st.out;
  out.Line();
  out.Text(R"(
_Fpot:  push    r10
        push    r11
        push    r12
        push    r13
        push    r14
        push    r15)");
  if (st.dev.NeedRampz) {
    // The tables may lie above 64 KB: read them through RAMPZ:Z, and give the caller
    // its RAMPZ back afterwards.
    out.Text(R"(
        in      r20,RAMPZ
        push    r20
        out     RAMPZ,r21)");
  }
  out.Text(R"(
        mov     r12,r22
        mov     r13,r23
        mov     r14,r24
        mov     r15,r25)");
  EmitTableRead(st, "", "r10");
  out.Text(R"(
        rcall   _Fpot1)");
  EmitTableRead(st, "", "r10");
  out.Text(R"(
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
    out.Text(R"(
_Fpot3: pop     r20
        out     RAMPZ,r20
        pop     r15)");
  } else {
    out.Text(R"(
_Fpot3: pop     r15)");
  }
  out.Text(R"(
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
        ret)");
  // _Flpm: four table bytes into r21, r20, r19, r18 (a coefficient: biased exponent, then
  // sign and the top mantissa bits, then the two lower mantissa bytes). _Fpot5 above turns
  // it into the packed float layout.
  EmitTableRead(st, "_Flpm:  ", "r21");
  EmitTableRead(st, "", "r20");
  EmitTableRead(st, "", "r19");
  EmitTableRead(st, "", "r18");
  out.Text(R"(
        ret)");
}

}  // namespace qbc
