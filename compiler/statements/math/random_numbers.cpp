#include "compiler/statements/math/random_numbers.h"

#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

// The seed's byte, declared in the data segment where the first statement that uses it
// stands (a program with Rnd and no Randomize starts from what the SRAM holds).
void DeclareSeed(CompilerState& st) {
  if (st.expr.RandomizeDone) return;
  st.expr.RandomizeDone = true;
  st.out.Instr(Sep::kWide, ".DSEG");
  st.out.Instr("_rnd", Sep::kNarrow, ".byte", "1");
  st.out.Instr(Sep::kWide, ".CSEG");
  ++st.sym.SystemVarBytes;
}

// X on the SRAM byte the seed chooses: RamStart + seed, the seed taken modulo the SRAM's
// size where it holds fewer than 256 bytes. Below RamStart lie the registers and the I/O
// space, where a read takes a received UART byte or locks the ADC's result.
void EmitSeedAddress(CompilerState& st) {
  st.out.Instr(Sep::kWide, "lds", "xl,_rnd");
  const int size = st.dev.RamEnd - st.dev.RamStart + 1;
  if (size < 256) {
    const std::string again = NewLabel(st);
    const std::string inside = NewLabel(st);
    st.out.Label(again);
    st.out.Instr(Sep::kWide, "cpi", "xl," + Dec(size));
    st.out.Instr(Sep::kNarrow, "brlo", inside);
    st.out.Instr(Sep::kNarrow, "subi", "xl," + Dec(size));
    st.out.Instr(Sep::kNarrow, "rjmp", again);
    st.out.Label(inside);
  }
  // adding RamStart as the subtraction of its negative; xh is written on the small chips
  // too, whose pointers are 16 bits wide all the same
  const int negative = -st.dev.RamStart;
  st.out.Instr(Sep::kNarrow, "subi", "xl," + Hex2(static_cast<unsigned>(negative), HexForm::Prefixed0xLower));
  st.out.Instr(Sep::kWide, "ldi", "xh,0x00");
  st.out.Instr(Sep::kNarrow, "sbci", "xh," + Hex2(static_cast<unsigned>(negative >> 8), HexForm::Prefixed0xLower));
}

}  // namespace

void CompileRandomizeStatement(CompilerState& st) {
  DeclareSeed(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  kit::LoadValue(st, kTypeByte);
  st.out.Instr(Sep::kWide, "sts", "_rnd,zl");
  ExpectToken(st, ")");
}

std::uint8_t CompileRndFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  DeclareSeed(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ExpectToken(st, ")");
  EmitSeedAddress(st);
  st.out.Instr(Sep::kWide, "ldi", "zl,0x01");
  CallLibrary(st, "_Crc8", NeedCrc8);
  st.out.Instr(Sep::kWide, "sts", "_rnd,zl");
  return result.Yield(kTypeByte);
}

}  // namespace qbc
