#include "compiler/codegen/operand_store.h"

#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/source_names.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

// The registers a value of the wanted type `w` is stored from: a float result converted
// to an integer lies in r22.. (its low byte in `reg`), an integer in the work registers
// (the low word in r24:r25 when `reg` names r24), a float in A, or in B as the right
// operand of a one-operator assignment.
RegisterSet StoredRegisters(CompilerState& st, std::uint8_t w, const std::string& reg) {
  const bool fromFloat = st.sticky.OperandType == kTypeFloat;
  switch (w) {
    case kTypeByte: return {reg};
    case kTypeInteger:
    case kTypeWord:
      if (fromFloat) return {reg, "r23"};
      return reg == "r24" ? kLeftRegisters : kWorkRegisters;
    case kTypeLong: return fromFloat ? kFloatRegisters : kWorkRegisters;
    default: return st.sticky.SkipOperandPush ? kFloatLeftRegisters : kFloatRegisters;
  }
}

}  // namespace

void EmitStoreVariable(CompilerState& st, const std::string& n, const std::string& reg, std::uint8_t type) {
  const std::uint8_t w = type == 0 ? st.sticky.OperandType : type;

  switch (w) {
    case kTypeBit: {
      const int g = FindGlobalVar(st, n);
      if (g == 0) break;
      const GlobalVarRecord& v = st.sym.GlobalVars[g];
      const int b = static_cast<std::uint8_t>(v.Size);
      if (v.VarType > kTypeBit) st.out.Instr(Sep::kWide, "bst", "zl,0");
      if (b <= 7)
        st.out.Instr(Sep::kWide, "bld", "r3," + Dec(b));
      else if (b <= 15)
        st.out.Instr(Sep::kWide, "bld", "r4," + Dec(b - 8));
      break;
    }
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
    case kTypeFloat:
      EmitEachByte(st, "sts", {NumericTypeBytes(w), StoredRegisters(st, w, reg)}, ByteOrder::LowFirst,
                   [&](std::string_view r, int k) { return ByteAddress(n, k) + "," + std::string(r); });
      break;
    default:
      break;
  }
}

bool WritableGlobal(CompilerState& st, const GlobalVarRecord& v) {
  if (v.Storage != kStorageFlash) return true;
  ReportInPlace(st, "Flash table " + UpperText(SourceName(v.Name)) + " can not be changed!");
  return false;
}

}  // namespace qbc
