#include "compiler/codegen/integer_to_float.h"

#include "compiler/base/flags/float_flags.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/type_registers.h"

namespace qbc {

IntegerBytes IntegerInWorkRegisters() {
  return {"mov", [](int k) { return std::string(kWorkRegisters[k]); }, false};
}

IntegerBytes IntegerAt(const std::string& name) {
  return {"lds", [name](int k) { return ByteAddress(name, k); }, true};
}

IntegerBytes IntegerInFrame(int displacement) {
  return {"ldd", [displacement](int k) { return "y+" + Dec(displacement + k); }, true};
}

namespace {

// r24 cleared and copied into r25: the upper word of an unsigned value, or of an integer
// after the sign test in between.
void ClearAndCopyR24(CompilerState& st, std::string_view signBit) {
  st.out.Instr(Sep::kWide, "clr", "r24");
  if (!signBit.empty()) {
    st.out.Instr(Sep::kNarrow, "sbrc", "r23," + std::string(signBit));
    st.out.Instr(Sep::kWide, "com", "r24");
  }
  st.out.Instr(Sep::kWide, "mov", "r25,r24");
}

// r24:r25 = 0 or, with bit 7 of r23 set, 0xff 0xff.
void SignWordByBranches(CompilerState& st) {
  const std::string negative = NewLabel(st);
  const std::string done = NewLabel(st);
  st.out.Instr(Sep::kNarrow, "sbrc", "r23,0x07");
  st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, negative);
  st.out.Instr(Sep::kWide, "clr", "r24");
  st.out.Instr(Sep::kWide, "clr", "r25");
  st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, done);
  EmitLabel(st, negative);
  st.out.Instr(Sep::kWide, "ldi", "r24,0xff");
  st.out.Instr(Sep::kWide, "ldi", "r25,0xff");
  EmitLabel(st, done);
}

}  // namespace

bool EmitIntegerToFloat(CompilerState& st, std::uint8_t type, const IntegerBytes& from, const UpperBytesForm& form) {
  if (type < kTypeByte || type > kTypeLong) return false;
  const ValueRegisters a = CurrentValue(kTypeFloat);
  const int stored = NumericTypeBytes(type);
  for (int k = 0; k < stored; ++k) st.out.Instr(Sep::kWide, from.mnemonic, std::string(a.regs[k]) + "," + from.source(k));
  if (type == kTypeInteger && from.inMemory) {
    SignWordByBranches(st);
  } else if (type == kTypeInteger) {
    ClearAndCopyR24(st, form.signBit);
  } else if (type == kTypeByte && form.byteCopies) {
    st.out.Instr(Sep::kWide, "clr", "r23");
    ClearAndCopyR24(st, {});
  } else if (type == kTypeWord && form.wordCopies) {
    ClearAndCopyR24(st, {});
  } else {
    EmitClearBytes(st, a, stored, 4);
  }
  st.used.Set(NeedFloatCore);
  EmitCall(st, "_Fs2f");
  return true;
}

}  // namespace qbc
