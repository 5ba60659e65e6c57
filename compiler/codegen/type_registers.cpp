#include "compiler/codegen/type_registers.h"

#include "compiler/codegen/emit_lines.h"

namespace qbc {

int NumericTypeBytes(std::uint8_t type) {
  switch (type) {
    case kTypeBit:
    case kTypeByte: return 1;
    case kTypeInteger:
    case kTypeWord: return 2;
    case kTypeLong:
    case kTypeFloat: return 4;
    default: return 0;
  }
}

int VarTypeBytes(std::uint8_t type) {
  const int bytes = NumericTypeBytes(type);
  return bytes == 0 ? 1 : bytes;
}

bool IsWholeNumberType(std::uint8_t type) { return type >= kTypeByte && type <= kTypeLong; }

std::string ByteAddress(std::string_view base, int k) {
  std::string address(base);
  if (k != 0) address += "+" + std::to_string(k);
  return address;
}

ValueRegisters CurrentValue(std::uint8_t type) {
  return {NumericTypeBytes(type), type == kTypeFloat ? kFloatRegisters : kWorkRegisters};
}

ValueRegisters LeftValue(std::uint8_t type) {
  return {NumericTypeBytes(type), type == kTypeFloat ? kFloatLeftRegisters : kLeftRegisters};
}

ValueRegisters IntegerValue(std::uint8_t type, bool left) {
  return {NumericTypeBytes(type), left ? kLeftRegisters : kWorkRegisters};
}

ByteOperands PairedWith(const RegisterSet& other) {
  return [other](std::string_view reg, int k) { return std::string(reg) + "," + std::string(other[k]); };
}

void EmitEachByte(CompilerState& st, std::string_view mnemonic, const ValueRegisters& v, ByteOrder order,
                  const ByteOperands& operands) {
  for (int i = 0; i < v.bytes; ++i) {
    const int k = order == ByteOrder::LowFirst ? i : v.bytes - 1 - i;
    st.out.Instr(Sep::kWide, mnemonic, operands(v.regs[k], k));
  }
}

void EmitEachByte(CompilerState& st, std::string_view mnemonic, const ValueRegisters& v, ByteOrder order) {
  EmitEachByte(st, mnemonic, v, order, [](std::string_view reg, int) { return std::string(reg); });
}

void EmitByteChain(CompilerState& st, std::string_view first, std::string_view rest, const ValueRegisters& v,
                   const ByteOperands& operands) {
  for (int k = 0; k < v.bytes; ++k) st.out.Instr(Sep::kWide, k == 0 ? first : rest, operands(v.regs[k], k));
}

bool EmitLeftWithWork(CompilerState& st, std::uint8_t type, std::string_view first, std::string_view rest) {
  if (type < kTypeBit || type > kTypeLong) return false;
  EmitByteChain(st, first, rest, LeftValue(type), PairedWith(kWorkRegisters));
  return true;
}

namespace {
// Integer types go on the stack high byte first, a float low byte first.
ByteOrder PushOrder(std::uint8_t type) { return type == kTypeFloat ? ByteOrder::LowFirst : ByteOrder::HighFirst; }
ByteOrder Reversed(ByteOrder order) {
  return order == ByteOrder::LowFirst ? ByteOrder::HighFirst : ByteOrder::LowFirst;
}
}  // namespace

void EmitPushValue(CompilerState& st, std::uint8_t type) {
  const ValueRegisters v = CurrentValue(type);
  for (int i = 0; i < v.bytes; ++i) {
    const int k = PushOrder(type) == ByteOrder::LowFirst ? i : v.bytes - 1 - i;
    st.out.Instr(Sep::kNarrow, "push", v.regs[k]);
  }
}

void EmitPopLeft(CompilerState& st, std::uint8_t type) {
  EmitEachByte(st, "pop", LeftValue(type), Reversed(PushOrder(type)));
}

void EmitMoveLeftToCurrent(CompilerState& st, std::uint8_t type) {
  EmitEachByte(st, "mov", CurrentValue(type), ByteOrder::LowFirst, PairedWith(LeftValue(type).regs));
}

void EmitMoveCurrentToLeft(CompilerState& st, std::uint8_t type) {
  EmitEachByte(st, "mov", LeftValue(type), ByteOrder::LowFirst, PairedWith(CurrentValue(type).regs));
}

void EmitIntegerFromFloatRegisters(CompilerState& st, std::uint8_t type, bool left, bool upperWordFirst) {
  if (type < kTypeByte || type > kTypeLong) return;
  const ValueRegisters v = IntegerValue(type, left);
  auto move = [&](int k) {
    st.out.Instr(Sep::kWide, "mov", std::string(v.regs[k]) + "," + std::string(kFloatRegisters[k]));
  };
  static constexpr int kLowFirst[] = {0, 1, 2, 3};
  static constexpr int kUpperWordFirst[] = {2, 3, 0, 1};
  for (int k : upperWordFirst ? kUpperWordFirst : kLowFirst)
    if (k < v.bytes) move(k);
}

int EmitSoftStackPush(CompilerState& st, std::uint8_t type) {
  const ValueRegisters v = CurrentValue(type);
  EmitEachByte(st, "st", v, ByteOrder::HighFirst, [](std::string_view reg, int) { return "-Y," + std::string(reg); });
  return v.bytes;
}

void EmitClearBytes(CompilerState& st, const ValueRegisters& v, int from, int to) {
  for (int k = from; k < to && k < 4; ++k) st.out.Instr(Sep::kWide, "clr", v.regs[k]);
}

void EmitWidenInteger(CompilerState& st, const RegisterSet& regs, std::uint8_t from, std::uint8_t to) {
  if (!IsWholeNumberType(from) || !IsWholeNumberType(to)) return;
  const int have = NumericTypeBytes(from);
  const int want = NumericTypeBytes(to);
  if (want <= have) return;
  if (from == kTypeInteger) {
    // 0x00 or 0xff by bit 7 of the high byte
    const std::string fill(regs[2]);
    st.out.Instr(Sep::kWide, "clr", fill);
    st.out.Instr(Sep::kNarrow, "sbrc", std::string(regs[1]) + ",7");
    st.out.Instr(Sep::kWide, "com", fill);
    st.out.Instr(Sep::kWide, "mov", std::string(regs[3]) + "," + fill);
    return;
  }
  EmitClearBytes(st, {want, regs}, have, want);
}

void EmitWidenedRead(CompilerState& st, std::string_view mnemonic, const RegisterSet& dest, int stored, int wanted,
                     const std::function<std::string(int k)>& address) {
  for (int k = 0; k < wanted && k < stored; ++k)
    st.out.Instr(Sep::kWide, mnemonic, std::string(dest[k]) + "," + address(k));
  EmitClearBytes(st, {wanted, dest}, stored, wanted);
}

void EmitBitAsNumber(CompilerState& st, const RegisterSet& regs, std::uint8_t wanted) {
  if (wanted < kTypeByte || wanted > kTypeLong) return;
  const std::string lo(regs[0]);
  st.out.Instr(Sep::kWide, "clr", lo);
  st.out.Instr(Sep::kWide, "bld", lo + ",0");
  EmitClearBytes(st, {4, regs}, 1, NumericTypeBytes(wanted));
}

}  // namespace qbc
