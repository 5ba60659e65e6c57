#include "compiler/statements/hardware/adc_functions.h"

#include "compiler/base/flags/hardware_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/hardware/adc_registers.h"
#include "compiler/statements/math/function_result.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

// The channel in zl into the multiplexer. It is cut to the channel bits: a larger value
// would rewrite the reference bits (selecting the internal reference while a voltage is
// on AREF) or the left adjustment. On the chips with inputs 8 to 15, channel bit 3 is MUX5.
void SelectChannel(CompilerState& st) {
  const AdcLayout a = FindAdcLayout(st);
  if (a.inputsAbove7) {
    st.out.Instr(Sep::kNarrow, "andi", "zl,0x0f");
    EmitRegisterRead(st, a.mux5->reg, "zh", Reach::kData);
    st.out.Instr(Sep::kWide, "cbr", "zh," + BitMaskText(a.mux5->bit));
    st.out.Instr(Sep::kNarrow, "sbrc", "zl,3");
    st.out.Instr(Sep::kWide, "sbr", "zh," + BitMaskText(a.mux5->bit));
    EmitRegisterWrite(st, a.mux5->reg, "zh", Reach::kData);
  }
  st.out.Instr(Sep::kNarrow, "andi", "zl," + Hex2(a.channelBits, HexForm::Prefixed0xLower));
  EmitRegisterRead(st, a.admux.reg, "zh", Reach::kBit);
  st.out.Instr(Sep::kNarrow, "andi", "zh," + Hex2(a.keptBits, HexForm::Prefixed0xLower));
  st.out.Instr(Sep::kWide, "or", "zl,zh");
  EmitRegisterWrite(st, a.admux.reg, "zl", Reach::kBit);
}

std::uint8_t CompileConversion(CompilerState& st, const char* routine, UsedFlag flag, std::uint8_t type,
                               std::uint8_t wanted) {
  // The routine drives ADMUX and ADCSRA: a chip without them has no converter.
  if (!RegisterAddress(st, "admux")) ReportInPlace(st, "Unexisting feature!");
  FunctionResult result(st, wanted);
  CompileFirstArgument(st, kTypeByte);
  SelectChannel(st);
  CallLibrary(st, routine, flag);
  ExpectToken(st, ")");
  return result.Yield(type);
}

}  // namespace

std::uint8_t CompileAdcFunction(CompilerState& st, std::uint8_t wanted) {
  return CompileConversion(st, "_Adc", NeedAdc, kTypeWord, wanted);
}

std::uint8_t CompileAdc8Function(CompilerState& st, std::uint8_t wanted) {
  return CompileConversion(st, "_Adc8", NeedAdc8, kTypeByte, wanted);
}

}  // namespace qbc
