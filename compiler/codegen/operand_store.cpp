#include "compiler/codegen/operand_store.h"

#include "compiler/codegen/emit_lines.h"
#include "compiler/base/symbols.h"

namespace qbc {

void EmitStoreVariable(CompilerState& st, const std::string& n, const std::string& reg) {
  const std::uint8_t entryWanted = st.sticky.WantedType;
  if (st.sticky.WantedType == 0) st.sticky.WantedType = st.sticky.OperandType;
  const std::uint8_t w = st.sticky.WantedType;
  const bool fromFloat = st.sticky.OperandType == kTypeFloat;
  auto sts = [&](const std::string& addr, const std::string& r) { Emit2(st, "sts", addr + "," + r); };

  switch (w) {
    case kTypeBit: {
      const int g = FindGlobalVar(st, n);
      if (g == 0) break;
      const GlobalVarRecord& v = st.sym.GlobalVars[g];
      const int b = static_cast<std::uint8_t>(v.Size);
      if (v.VarType > kTypeBit) Emit2(st, "bst", "zl,0");
      if (b <= 7)
        Emit2(st, "bld", "r3," + Dec(b));
      else if (b <= 15)
        Emit2(st, "bld", "r4," + Dec(b - 8));
      break;
    }
    case kTypeByte:
      sts(n, reg);
      break;
    case kTypeInteger:
    case kTypeWord:
      if (fromFloat) {
        sts(n, reg);
        sts(n + "+1", "r23");
      } else if (reg == "r24") {
        sts(n, "r24");
        sts(n + "+1", "r25");
      } else {
        sts(n, "zl");
        sts(n + "+1", "zh");
      }
      break;
    case kTypeLong:
      if (fromFloat) {
        sts(n, "r22");
        sts(n + "+1", "r23");
        sts(n + "+2", "r24");
        sts(n + "+3", "r25");
      } else {
        sts(n, "zl");
        sts(n + "+1", "zh");
        sts(n + "+2", "r18");
        sts(n + "+3", "r19");
      }
      break;
    case kTypeFloat:
      if (st.sticky.SkipOperandPush) {
        sts(n, "r18");
        sts(n + "+1", "r19");
        sts(n + "+2", "r20");
        sts(n + "+3", "r21");
      } else {
        sts(n, "r22");
        sts(n + "+1", "r23");
        sts(n + "+2", "r24");
        sts(n + "+3", "r25");
      }
      break;
    default:
      break;
  }
  st.sticky.WantedType = entryWanted;
}

}  // namespace qbc
