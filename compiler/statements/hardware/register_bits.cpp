#include "compiler/statements/hardware/register_bits.h"

#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
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
    const auto bit = DeviceBitNumber(st, first[i].bit);
    if (address && bit) return RegisterBit{UpperText(first[i].reg), *address, *bit};
  }
  return std::nullopt;
}

std::optional<RegisterBit> FindRegisterBit(const CompilerState& st, std::initializer_list<RegisterBitName> candidates) {
  return FindRegisterBit(st, candidates.begin(), candidates.size());
}

void EmitChangeRegisterBit(CompilerState& st, const RegisterBit& rb, bool set, bool singleBit) {
  const IoBit bit = BitOf(rb.reg, rb.bit, MaskText::kHex);
  EmitForm(st, singleBit ? BitChangeForm(st, bit, set, Flags::kMayChange, "zl", Reach::kData)
                         : ReadModifyWriteForm(st, bit, set, Flags::kMayChange, "zl", Reach::kData));
}

}  // namespace qbc
