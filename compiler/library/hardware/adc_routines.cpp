#include "compiler/library/hardware/adc_routines.h"

#include <string>

#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/text_rows.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/hardware/adc_registers.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

// Starts the conversion and waits for its end; registers by ADCSRA's address. A 1 written
// to the interrupt flag clears it (a 0 would leave it set for the next conversion). Only
// zl is used besides the status register.
void StartAndWait(CompilerState& st, const AdcLayout& a, const std::string& loop) {
  const bool handler = st.expr.AdccInterruptUsed;
  const std::string& reg = a.adcsra.reg;
  const IoBit start = BitOf(reg, "0x06", 6, MaskText::kHex);
  const IoBit flag = BitOf(reg, "0x04", 4, MaskText::kHex);
  EmitBitChange(st, start, true, Flags::kMayChange, "zl", Reach::kBit);
  // Without a handler the loop waits for the flag; with one, for the start bit to clear.
  EmitForm(st, BitSkipForm(st, handler ? start : flag, !handler, "zl", Reach::kBit), loop,
           RegisterReach(st, reg, Reach::kBit) == Reach::kBit ? LabelAt::kFirstLine : LabelAt::kOwnLine);
  st.out.Instr(Sep::kNarrow, "rjmp", loop);
  if (handler)
    st.out.Instr("nop");
  else if (RegisterReach(st, reg, Reach::kBit) == Reach::kBit)
    EmitBitChange(st, flag, true, Flags::kMayChange, "zl", Reach::kBit);
  else
    EmitRegisterWrite(st, reg, "zl", Reach::kBit);  // the flag read as 1 is written back
}

void ReadResult(CompilerState& st, const char* reg, const char* dest) {
  EmitRegisterRead(st, reg, dest, Reach::kData);
}

}  // namespace

// Adc8 leaves the result left-adjusted: in a program that uses it, _Adc clears the bit
// first, or it would return 64 times the value.
void EmitAdcRoutine(CompilerState& st) {
  const AdcLayout a = FindAdcLayout(st);
  textrows::WriteHeader(st, ";////// ADC ///////////////////////////////");
  st.out.Label("_Adc");
  if (st.used[NeedAdc8] && a.adlar) EmitChangeRegisterBit(st, *a.adlar, false, true);
  StartAndWait(st, a, "_Adc1");
  ReadResult(st, "ADCL", "zl");
  ReadResult(st, "ADCH", "zh");
  st.out.Instr("ret");
}

// Left-adjusted, ADCH holds the upper eight bits; a chip without the adjustment gets
// the ten bits shifted right by two.
void EmitAdc8Routine(CompilerState& st) {
  const AdcLayout a = FindAdcLayout(st);
  textrows::WriteHeader(st, ";////// ADC8 //////////////////////////////");
  st.out.Label("_Adc8");
  if (a.adlar) EmitChangeRegisterBit(st, *a.adlar, true, true);
  StartAndWait(st, a, "_Adc18");
  if (a.adlar) {
    ReadResult(st, "ADCH", "zl");
  } else {
    ReadResult(st, "ADCL", "zl");
    ReadResult(st, "ADCH", "zh");
    for (int i = 0; i < 2; ++i) {
      st.out.Instr(Sep::kWide, "lsr", "zh");
      st.out.Instr(Sep::kWide, "ror", "zl");
    }
  }
  st.out.Instr("ret");
}

}  // namespace qbc
