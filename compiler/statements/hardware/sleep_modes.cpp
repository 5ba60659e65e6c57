#include "compiler/statements/hardware/sleep_modes.h"

#include <string>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

// A sleep register other than the one holding SE, through r24: its mode bits cleared or
// set, its other bits kept.
void EmitOtherSleepRegister(CompilerState& st, const SleepBits& r) {
  EmitRegisterRead(st, r.reg, "r24", Reach::kData);
  if ((r.mask & ~r.set) != 0) st.out.Instr(Sep::kWide, "andi", "r24," + Dec(0xFF & ~(r.mask & ~r.set)));
  if (r.set != 0) st.out.Instr(Sep::kWide, "ori", "r24," + Dec(r.set));
  EmitRegisterWrite(st, r.reg, "r24", Reach::kData);
}

}  // namespace

void CompileSleepStatement(CompilerState& st, int mode) {
  ++st.src.TokenIndex;
  // The mode's bits as the device file places them (SMCR, or MCUCR and the registers that
  // keep a mode bit of their own); a mode the chip lacks has none.
  const std::vector<SleepBits> regs = SleepModeBits(st, static_cast<SleepMode>(mode));
  if (regs.empty()) {
    // Sleeping in whatever mode the register holds would be another mode than asked for.
    ReportInPlace(st, "Invalid PowerMode!");
    SkipToStatementEnd(st);
    return;
  }
  const SleepBits& first = regs.front();
  if (SleepRegisterIsOwn(first)) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + Dec(first.set));
  } else {
    // MCUCR holds other settings too (the pull-ups, the interrupt senses): only the sleep
    // bits change.
    EmitRegisterRead(st, first.reg, "zl", Reach::kData);
    st.out.Instr(Sep::kWide, "andi", "zl," + Dec(0xFF & ~first.mask));
    st.out.Instr(Sep::kWide, "ori", "zl," + Dec(first.set));
    for (std::size_t i = 1; i < regs.size(); ++i) EmitOtherSleepRegister(st, regs[i]);
  }
  EmitRegisterWrite(st, first.reg, "zl", Reach::kData);
  st.out.Instr("sleep");
  kit::ExpectStatementEnd(st);
}

}  // namespace qbc
