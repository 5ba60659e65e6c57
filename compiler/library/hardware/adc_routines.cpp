#include "compiler/library/hardware/adc_routines.h"

#include <string>

#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/text_rows.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/hardware/adc_registers.h"

namespace qbc {

namespace {

// Starts the conversion and waits for its end; registers by ADCSRA's address. A 1 written
// to the interrupt flag clears it (a 0 would leave it set for the next conversion). Only
// zl is used besides the status register.
void StartAndWait(CompilerState& st, const AdcLayout& a, const std::string& loop) {
  const bool handler = st.expr.AdccInterruptUsed;
  const std::string& reg = a.adcsra.reg;
  if (IsBitAddressable(a.adcsra.address)) {
    st.out.Instr(Sep::kWide, "sbi", reg + ",0x06");
    st.out.Instr(loop, Sep::kNarrow, handler ? "sbic" : "sbis", reg + (handler ? ",0x06" : ",0x04"));
    st.out.Instr(Sep::kNarrow, "rjmp", loop);
    if (handler)
      st.out.Instr("nop");
    else
      st.out.Instr(Sep::kWide, "sbi", reg + ",0x04");
    return;
  }
  EmitReadRegister(st, reg, a.adcsra.address, "zl");
  st.out.Instr(Sep::kWide, "sbr", "zl,0x40");
  EmitWriteRegister(st, reg, a.adcsra.address, "zl");
  st.out.Label(loop);
  EmitReadRegister(st, reg, a.adcsra.address, "zl");
  st.out.Instr(Sep::kNarrow, handler ? "sbrc" : "sbrs", handler ? "zl,0x06" : "zl,0x04");
  st.out.Instr(Sep::kNarrow, "rjmp", loop);
  if (handler)
    st.out.Instr("nop");
  else
    EmitWriteRegister(st, reg, a.adcsra.address, "zl");  // the flag read as 1 is written back
}

void ReadResult(CompilerState& st, const char* reg, const char* dest) {
  EmitReadRegister(st, reg, IoRegisterValue(st, reg), dest);
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
