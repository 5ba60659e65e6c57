#include "compiler/codegen/io_access.h"

#include <utility>

#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"

namespace qbc {

std::optional<std::int32_t> IoRegisterAddress(CompilerState& st, std::string_view name) {
  if (name.empty()) return std::nullopt;
  const std::string lower = LowerText(name);
  if (const int i = FindIoRegister(st, lower); i != 0) return st.sym.IoRegisters[i].Value;
  return DeviceSymbolValue(st, lower);
}

Reach ReachOfAddress(std::int32_t address) {
  if (address >= 0 && address < 0x20) return Reach::kBit;
  if (address >= 0 && address < 0x40) return Reach::kInOut;
  return Reach::kData;
}

Reach RegisterReach(CompilerState& st, std::string_view name, Reach unnamed) {
  const auto address = IoRegisterAddress(st, name);
  return address ? ReachOfAddress(*address) : unnamed;
}

bool IsBitAddressable(CompilerState& st, std::string_view name) {
  return RegisterReach(st, name, Reach::kData) == Reach::kBit;
}

const char* ReadMnemonic(Reach reach) { return reach == Reach::kData ? "lds" : "in"; }

const char* WriteMnemonic(Reach reach) { return reach == Reach::kData ? "sts" : "out"; }

IoBit BitOf(std::string reg, int number, MaskText mask) {
  return BitOf(std::move(reg), std::to_string(number), number, mask);
}

IoBit BitOf(std::string reg, std::string bit, int number, MaskText mask) {
  IoBit b;
  b.reg = std::move(reg);
  b.number = number;
  const unsigned value = (number >= 0 && number < 8) ? (1u << number) : 0u;
  switch (mask) {
    case MaskText::kShift: b.mask = "1<<" + bit; break;
    case MaskText::kDecimal: b.mask = std::to_string(value); break;
    case MaskText::kHex: b.mask = Hex2(value, HexForm::Prefixed0xUpper); break;
  }
  b.bit = std::move(bit);
  return b;
}

IoBit PinBit(std::string reg, const std::string& pin) {
  const int number = pin.size() == 1 && pin[0] >= '0' && pin[0] <= '7' ? pin[0] - '0' : 0;
  return BitOf(std::move(reg), pin, number, MaskText::kShift);
}

IoForm ReadForm(CompilerState& st, const std::string& reg, const std::string& dest, Reach unnamed) {
  return {{Sep::kWide, ReadMnemonic(RegisterReach(st, reg, unnamed)), dest + "," + reg}};
}

IoForm WriteForm(CompilerState& st, const std::string& reg, const std::string& src, Reach unnamed) {
  return {{Sep::kWide, WriteMnemonic(RegisterReach(st, reg, unnamed)), reg + "," + src}};
}

IoForm BitChangeForm(CompilerState& st, const IoBit& bit, bool set, Flags flags, const std::string& scratch,
                     Reach unnamed) {
  if (RegisterReach(st, bit.reg, unnamed) == Reach::kBit)
    return {{Sep::kWide, set ? "sbi" : "cbi", bit.reg + bit.comma + bit.bit}};
  return ReadModifyWriteForm(st, bit, set, flags, scratch, unnamed);
}

IoForm BitsChangeForm(CompilerState& st, const std::vector<IoBit>& bits, bool set, const std::string& scratch,
                      Reach unnamed) {
  IoForm form;
  if (bits.empty()) return form;
  const std::string& reg = bits.front().reg;
  const Reach reach = RegisterReach(st, reg, unnamed);
  if (reach == Reach::kBit) {
    for (const IoBit& b : bits) form.push_back({Sep::kWide, set ? "sbi" : "cbi", b.reg + b.comma + b.bit});
    return form;
  }
  form.push_back({Sep::kWide, ReadMnemonic(reach), scratch + "," + reg});
  for (const IoBit& b : bits) form.push_back({Sep::kWide, set ? "sbr" : "cbr", scratch + "," + b.mask});
  form.push_back({Sep::kWide, WriteMnemonic(reach), reg + "," + scratch});
  return form;
}

IoForm ReadModifyWriteForm(CompilerState& st, const IoBit& bit, bool set, Flags flags, const std::string& scratch,
                           Reach unnamed) {
  const Reach reach = RegisterReach(st, bit.reg, unnamed);
  const IoInstr read{Sep::kWide, ReadMnemonic(reach), scratch + "," + bit.reg};
  const IoInstr write{Sep::kWide, WriteMnemonic(reach), bit.reg + "," + scratch};
  if (flags == Flags::kMayChange) return {read, {Sep::kWide, set ? "sbr" : "cbr", scratch + "," + bit.mask}, write};
  const unsigned value = (bit.number >= 0 && bit.number < 8) ? (1u << bit.number) : 0u;
  const std::string mask = Hex2(set ? value : 0xFFu ^ value, HexForm::Prefixed0xUpper);
  return {{Sep::kWide, "push", scratch},
          {Sep::kWide, "in", scratch + ",SREG"},
          {Sep::kWide, "push", scratch},
          read,
          {Sep::kWide, set ? "ori" : "andi", scratch + "," + mask},
          write,
          {Sep::kWide, "pop", scratch},
          {Sep::kWide, "out", "SREG," + scratch},
          {Sep::kWide, "pop", scratch}};
}

IoForm BitSkipForm(CompilerState& st, const IoBit& bit, bool skipIfSet, const std::string& scratch, Reach unnamed) {
  const Reach reach = RegisterReach(st, bit.reg, unnamed);
  if (reach == Reach::kBit) return {{Sep::kNarrow, skipIfSet ? "sbis" : "sbic", bit.reg + bit.comma + bit.bit}};
  return {{Sep::kWide, ReadMnemonic(reach), scratch + "," + bit.reg},
          {Sep::kNarrow, skipIfSet ? "sbrs" : "sbrc", scratch + "," + bit.bit}};
}

long FormCycles(const IoInstr& instr) {
  const std::string& m = instr.mnemonic;
  return m == "sbi" || m == "cbi" || m == "lds" || m == "sts" || m == "push" || m == "pop" ? 2 : 1;
}

long FormCycles(const IoForm& form) {
  long cycles = 0;
  for (const IoInstr& i : form) cycles += FormCycles(i);
  return cycles;
}

void EmitForm(CompilerState& st, const IoForm& form, std::string_view label, LabelAt at) {
  if (!label.empty() && at == LabelAt::kOwnLine) {
    st.out.Label(label);
    label = {};
  }
  bool first = true;
  for (const IoInstr& i : form) {
    if (first && !label.empty())
      st.out.Instr(label, i.sep, i.mnemonic, i.operands);
    else
      st.out.Instr(i.sep, i.mnemonic, i.operands);
    first = false;
  }
}

void EmitRegisterRead(CompilerState& st, const std::string& reg, const std::string& dest, Reach unnamed,
                      std::string_view label) {
  EmitForm(st, ReadForm(st, reg, dest, unnamed), label);
}

void EmitRegisterWrite(CompilerState& st, const std::string& reg, const std::string& src, Reach unnamed,
                       std::string_view label) {
  EmitForm(st, WriteForm(st, reg, src, unnamed), label);
}

void EmitBitChange(CompilerState& st, const IoBit& bit, bool set, Flags flags, const std::string& scratch,
                   Reach unnamed, std::string_view label) {
  EmitForm(st, BitChangeForm(st, bit, set, flags, scratch, unnamed), label);
}

void EmitBitSkip(CompilerState& st, const IoBit& bit, bool skipIfSet, const std::string& scratch, Reach unnamed,
                 std::string_view label) {
  EmitForm(st, BitSkipForm(st, bit, skipIfSet, scratch, unnamed), label);
}

}  // namespace qbc
