#include "compiler/library/comm/shift_routines.h"

#include <string>

#include "compiler/base/decl_text.h"
#include "compiler/codegen/io_access.h"
#include "compiler/library/comm/block_routines.h"
#include "compiler/statements/peripherals/shift_cells.h"
#include "compiler/frontend/port_pins.h"

namespace qbc {

namespace {

// The registers of a port beyond the bit instructions' reach are changed through r23:
// zl holds the data and zh the second byte of a word that ShiftOut sends next, r18/r19
// those of a long, X and r25 the block of _SOAll.
constexpr const char* kScratch = "r23";

std::string Letter(const std::string& port) { return PortLetterText(port); }

// One pin set or cleared, on a line opened by `label` when there is one. Each register
// takes the form its own address allows (PINF of the m128 lies in the low I/O space,
// PORTF and DDRF beyond it).
void PinLine(CompilerState& st, const char* label, const std::string& reg, const std::string& pin, bool set,
             const std::string& comma = ",") {
  IoBit bit = PinBit(reg, pin);
  bit.comma = comma;
  EmitForm(st, BitChangeForm(st, bit, set, Flags::kMayChange, kScratch), label,
           IsBitAddressable(st, reg) ? LabelAt::kFirstLine : LabelAt::kOwnLine);
}

void Nops(CompilerState& st, int count) {
  for (int i = 0; i < count; ++i) st.out.Instr("nop");
}

}  // namespace

void EmitShiftOutRoutine(CompilerState& st) {
  const ShiftCells& s = st.Cells<ShiftCells>();
  const std::string& port = s.ShiftOutPort;
  const std::string ddr = "DDR" + Letter(port);
  st.out.Line();
  st.out.Line(";////// ShiftOut //////////////////////////");
  PinLine(st, "_Sout", ddr, s.ShiftOutDataPin, true, ", ");
  st.out.Instr(Sep::kWide, "ldi", "r24,0x08");
  // Each bit goes to the data pin while the clock is low and is latched by the rising
  // edge after it; the brne tests the count decremented inside the pulse.
  st.out.Instr("_So2", Sep::kWide, s.ShiftOutMsbFirst ? "rol" : "ror", "zl");
  st.out.Instr(Sep::kNarrow, "brcc", "_So1");
  PinLine(st, "", port, s.ShiftOutDataPin, true);
  st.out.Instr(Sep::kNarrow, "rjmp", "_So3");
  PinLine(st, "_So1", port, s.ShiftOutDataPin, false);
  PinLine(st, "_So3", port, s.ShiftOutClockPin, true);
  // cbi leaves the flags alone, so the count can be decremented inside the pulse; the
  // cbr of the other forms changes Z, and the count is decremented after it there.
  const bool bitForm = IsBitAddressable(st, port);
  if (bitForm) st.out.Instr(Sep::kWide, "dec", "r24");
  Nops(st, s.ShiftOutMode);
  PinLine(st, "", port, s.ShiftOutClockPin, false);
  if (!bitForm) st.out.Instr(Sep::kWide, "dec", "r24");
  st.out.Instr(Sep::kNarrow, "brne", "_So2");
  PinLine(st, "", port, s.ShiftOutDataPin, false);
  st.out.Instr("ret");
}

void EmitShiftInRoutine(CompilerState& st) {
  const ShiftCells& s = st.Cells<ShiftCells>();
  const std::string& port = s.ShiftInPort;
  const std::string ddr = "DDR" + Letter(port);
  const std::string pin = "PIN" + UpperText(Letter(port));
  st.out.Line();
  st.out.Line(";////// ShiftIn //////////////////////////");
  PinLine(st, "_Sin", ddr, s.ShiftInDataPin, false);
  // ShiftIn stands inside expressions, where the left operand of "2 + ShiftIn" waits in
  // r24:r25: the bit count keeps it.
  st.out.Instr(Sep::kNarrow, "push", "r24");
  st.out.Instr(Sep::kWide, "ldi", "r24,0x08");
  // The data pin is sampled while the clock is high, after the stretch.
  st.out.Instr("_Si2", Sep::kWide, "clc");
  PinLine(st, "", port, s.ShiftInClockPin, true);
  Nops(st, s.ShiftInMode);
  EmitBitSkip(st, PinBit(pin, s.ShiftInDataPin), false, kScratch);
  st.out.Instr("sec");
  st.out.Instr(Sep::kWide, s.ShiftInMsbFirst ? "rol" : "ror", "zl");
  PinLine(st, "", port, s.ShiftInClockPin, false);
  st.out.Instr(Sep::kWide, "dec", "r24");
  st.out.Instr(Sep::kNarrow, "brne", "_Si2");
  st.out.Instr(Sep::kWide, "pop", "r24");
  st.out.Instr("ret");
}

void EmitShiftOutAllRoutine(CompilerState& st) {
  EmitSendBlockRoutine(st, ";////// ShiftOutAll ///////////////////////", "_SOAll", "_SOA1", "_Sout");
}

}  // namespace qbc
