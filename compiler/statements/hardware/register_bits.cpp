#include "compiler/statements/hardware/register_bits.h"

#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"

namespace qbc {

std::optional<int> RegisterAddress(const CompilerState& st, std::string_view reg) {
  const auto value = DeviceSymbolValue(st, Lower(reg));
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<RegisterBit> FindRegisterBit(const CompilerState& st, const RegisterBitName* first, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const auto address = RegisterAddress(st, first[i].reg);
    const auto bit = DeviceSymbolValue(st, first[i].bit);
    if (address && bit && *bit >= 0 && *bit <= 7)
      return RegisterBit{Upper(first[i].reg), *address, static_cast<int>(*bit)};
  }
  return std::nullopt;
}

std::optional<RegisterBit> FindRegisterBit(const CompilerState& st, std::initializer_list<RegisterBitName> candidates) {
  return FindRegisterBit(st, candidates.begin(), candidates.size());
}

void EmitReadRegister(CompilerState& st, const std::string& reg, int address, const std::string& dest) {
  if (IsInOutAddressable(address))
    Emit2(st, "in", dest + "," + reg);
  else
    Emit2(st, "lds", dest + "," + reg);
}

void EmitWriteRegister(CompilerState& st, const std::string& reg, int address, const std::string& src) {
  if (IsInOutAddressable(address))
    Emit2(st, "out", reg + "," + src);
  else
    Emit2(st, "sts", reg + "," + src);
}

void EmitChangeRegisterBit(CompilerState& st, const RegisterBit& rb, bool set, bool singleBit) {
  if (singleBit && IsBitAddressable(rb.address)) {
    Emit2(st, set ? "sbi" : "cbi", rb.reg + "," + Dec(rb.bit));
    return;
  }
  EmitReadRegister(st, rb.reg, rb.address, "zl");
  Emit2(st, set ? "sbr" : "cbr", "zl," + BitMaskText(rb.bit));
  EmitWriteRegister(st, rb.reg, rb.address, "zl");
}

}  // namespace qbc
