#include "compiler/library/hardware/eeprom_routines.h"

#include <string>

#include "compiler/base/text_rows.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/hardware/eeprom_statements.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

// Waits for a write still running, then sets the address. The one-byte address register
// is EEARL where the chip has a high byte besides it (m48 names no EEAR), else EEAR.
void WaitAndAddress(CompilerState& st, const char* label) {
  st.out.Instr(label, Sep::kNarrow, "sbic", "EECR,0x01");
  st.out.Instr(Sep::kNarrow, "rjmp", label);
  if (WideEepromAddress(st)) {
    EmitRegisterWrite(st, "EEARH", "r25", Reach::kInOut);
    EmitRegisterWrite(st, "EEARL", "r24", Reach::kInOut);
  } else {
    EmitRegisterWrite(st, IoRegisterValue(st, "eearl") >= 0 ? "EEARL" : "EEAR", "r24", Reach::kInOut);
  }
}

}  // namespace

// Master write enable and write enable must follow within four cycles: with interrupts in
// the program they are set with interrupts off, and the caller's I flag is put back, so a
// handler or a program that disabled interrupts is not switched on here.
void EmitWriteEERoutine(CompilerState& st) {
  const bool vectors = st.sym.HighestVectorUsed != 0;
  textrows::WriteHeader(st, ";////// WriteEE ///////////////////////////");
  WaitAndAddress(st, "_WrtEE");
  EmitRegisterWrite(st, "EEDR", "zl", Reach::kInOut);
  if (vectors) {
    st.out.Instr(Sep::kNarrow, "push", "zh");
    st.out.Instr(Sep::kWide, "in", "zh,SREG");
    st.out.Instr("cli");
  }
  st.out.Instr(Sep::kWide, "sbi", "EECR,0x02");
  st.out.Instr(Sep::kWide, "sbi", "EECR,0x01");
  if (vectors) {
    st.out.Instr(Sep::kWide, "out", "SREG,zh");
    st.out.Instr(Sep::kWide, "pop", "zh");
  }
  st.out.Instr("ret");
}

void EmitReadEERoutine(CompilerState& st) {
  textrows::WriteHeader(st, ";////// ReadEE ////////////////////////////");
  WaitAndAddress(st, "_RdEE");
  st.out.Instr(Sep::kWide, "sbi", "EECR,0x00");
  EmitRegisterRead(st, "EEDR", "zl", Reach::kInOut);
  st.out.Instr("ret");
}

}  // namespace qbc
