#include "compiler/library/hardware/rc5_receiver.h"

#include <string>

#include "compiler/base/decl_text.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/library/hardware/routine_interrupt.h"
#include "compiler/statements/peripherals/meta_peripheral.h"
#include "compiler/statements/peripherals/rc5_cells.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

std::string Timer0Control(const CompilerState& st) { return TimerOf(st, 0).clockRegister; }

std::string Timer0Mask(CompilerState& st) { return IoRegisterValue(st, "timsk0") >= 0 ? "TIMSK0" : "TIMSK"; }

// The pin register: PINx, x the port's letter whether $rc5 named the pin by its PORTx or
// its PINx register (the stored name is padded with blanks).
std::string PinRegister(const CompilerState& st) {
  return "PIN" + PortLetterText(st.Cells<Rc5Cells>().Rc5Port);
}

// A skip on the receiver's pin, on a line opened by `label` when there is one: sbis/sbic
// where they reach the pin register, else the register read into `scratch` (PINF of the
// m128 is in the low I/O space, PINH to PINL of the m2560 beyond it).
void SkipOnPin(CompilerState& st, const char* label, bool skipIfSet, const std::string& scratch) {
  const IoBit bit = PinBit(PinRegister(st), st.Cells<Rc5Cells>().Rc5Pin);
  EmitForm(st, BitSkipForm(st, bit, skipIfSet, scratch), label,
           IsBitAddressable(st, bit.reg) ? LabelAt::kFirstLine : LabelAt::kOwnLine);
}

}  // namespace

void EmitRc5ReceiveRoutine(CompilerState& st) {
  const std::string control = Timer0Control(st);
  const std::string mask = Timer0Mask(st);
  st.out.Line();
  st.out.Line(";////// RC5 receive ///////////////////////");
  // The handler does the sampling: its interrupt and the I flag are on while a frame is
  // read, whatever the program set, and the caller's settings come back at the end.
  st.out.Label("_RC5");
  EmitInterruptOn(st, mask, "TOIE0");
  // Timer0 stands still in both pin loops: no handler runs to change r25 there.
  SkipOnPin(st, "_RC53", false, "r25");
  st.out.Instr(Sep::kNarrow, "rjmp", "_RC53");
  st.out.Instr(Sep::kWide, "ldi", "zl," + std::to_string(Rc5TimerPrescaler(st).ClockSelect));
  EmitRegisterWrite(st, UpperText(control), "zl", Reach::kInOut);
  st.out.Instr(Sep::kWide, "ldi", "r24,0x0e");
  st.out.Instr(Sep::kWide, "ldi", "zl," + std::to_string(Rc5TimerReload(st, 350.0)));
  EmitRegisterWrite(st, "TCNT0", "zl", Reach::kInOut);
  st.out.Label("_RC51");
  EmitRegisterRead(st, UpperText(control), "r25", Reach::kInOut);
  st.out.Instr(Sep::kWide, "cpi", "r25,0x00");
  st.out.Instr(Sep::kNarrow, "brne", "_RC51");
  st.out.Instr(Sep::kNarrow, "andi", "zh,0x3f");
  SkipOnPin(st, "_RC50", true, "r25");
  st.out.Instr(Sep::kNarrow, "rjmp", "_RC50");
  EmitInterruptRestore(st, mask);
  st.out.Instr("ret");
}

void EmitRc5Ovf0InterruptRoutine(CompilerState& st) {
  const std::string control = Timer0Control(st);
  const bool bitForm = IsBitAddressable(st, PinRegister(st));
  st.out.Line();
  st.out.Line(";////// RC5 Ovf0 interrupt ////////////////");
  st.out.Label("IntN" + std::to_string(FindVectorByPrefix(st, "OVF0")));
  st.out.Instr(Sep::kWide, "ldi", "r25," + std::to_string(st.Cells<Rc5Cells>().Rc5Vector));
  EmitRegisterWrite(st, "TCNT0", "r25", Reach::kInOut);
  // A pin register beyond the skips is read into r23, saved around it: r25 is the value
  // _RC5 compares while it waits, and must not read 0 before the frame is in.
  if (!bitForm) st.out.Instr(Sep::kNarrow, "push", "r23");
  st.out.Text(R"(\t\tclc)");
  SkipOnPin(st, "", false, "r23");
  st.out.Text(R"(\t\tsec)");
  if (!bitForm) st.out.Instr(Sep::kWide, "pop", "r23");
  st.out.Text(R"(\t\trol\t\tzl
\t\trol\t\tzh
\t\tdec\t\tr24
\t\tbrne\t_RC52
\t\tlsl\t\tzl
\t\trol\t\tzh
\t\tlsl\t\tzl
\t\trol\t\tzh
\t\tlsr\t\tzl
\t\tlsr\t\tzl)");
  EmitRegisterWrite(st, UpperText(control), "r24", Reach::kInOut);
  st.out.Text(R"(\t\tcom\t\tzl
\t\tcom\t\tzh
\t\tandi\tzl,0x3f
\t\tsbrs\tzh,0x07
\t\tser\t\tzl
_RC52:\treti)");
}

}  // namespace qbc
