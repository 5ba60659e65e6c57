#include "compiler/statements/hardware/register_bits.h"

#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/base/decl_text.h"

namespace qbc {

std::optional<int> RegisterAddress(const CompilerState& st, std::string_view reg) {
  const auto value = DeviceSymbolValue(st, LowerText(reg));
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<RegisterBit> FindRegisterBit(const CompilerState& st, const RegisterBitName* first, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const auto address = RegisterAddress(st, first[i].reg);
    const auto bit = DeviceSymbolValue(st, first[i].bit);
    if (address && bit && *bit >= 0 && *bit <= 7)
      return RegisterBit{UpperText(first[i].reg), *address, static_cast<int>(*bit)};
  }
  return std::nullopt;
}

std::optional<RegisterBit> FindRegisterBit(const CompilerState& st, std::initializer_list<RegisterBitName> candidates) {
  return FindRegisterBit(st, candidates.begin(), candidates.size());
}

void EmitReadRegister(CompilerState& st, const std::string& reg, int address, const std::string& dest) {
  if (IsInOutAddressable(address))
    st.out.Instr(Sep::kWide, "in", dest + "," + reg);
  else
    st.out.Instr(Sep::kWide, "lds", dest + "," + reg);
}

void EmitWriteRegister(CompilerState& st, const std::string& reg, int address, const std::string& src) {
  if (IsInOutAddressable(address))
    st.out.Instr(Sep::kWide, "out", reg + "," + src);
  else
    st.out.Instr(Sep::kWide, "sts", reg + "," + src);
}

void EmitChangeRegisterBit(CompilerState& st, const RegisterBit& rb, bool set, bool singleBit) {
  if (singleBit && IsBitAddressable(rb.address)) {
    st.out.Instr(Sep::kWide, set ? "sbi" : "cbi", rb.reg + "," + Dec(rb.bit));
    return;
  }
  EmitReadRegister(st, rb.reg, rb.address, "zl");
  st.out.Instr(Sep::kWide, set ? "sbr" : "cbr", "zl," + BitMaskText(rb.bit));
  EmitWriteRegister(st, rb.reg, rb.address, "zl");
}

}  // namespace qbc
