#include "compiler/frontend/handler_areas.h"

#include <algorithm>

namespace qbc {

int FormatTextBytes(const Configuration& cfg) {
  if (cfg.FormatDigits == 0 && cfg.FormatDecimals == 0) return 0;
  // The conversion writes up to 14 characters (the float text) whatever the format.
  return std::max(14, cfg.FormatDigits + cfg.FormatDecimals + 2);
}

int HandlerStringArgBytes(const CompilerState& st) {
  if (!st.sym.HandlerDeclared) return 0;
  int bytes = 0;
  for (int i = 1; i <= st.sym.LocalVarCount && i < static_cast<int>(st.sym.LocalVars.size()); ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[i];
    if (v.VarType == kTypeString && v.Storage != kStorageFlash) bytes += v.StrLen;
  }
  return bytes;
}

int HandlerTextBytes(const CompilerState& st) {
  if (!st.sym.HandlerDeclared) return 0;
  return FormatTextBytes(st.cfg) + (st.expr.FloatVarDeclared ? 14 : 0);
}

std::string HandlerTextStart(const CompilerState& st) { return FormatTextBytes(st.cfg) != 0 ? "_s2tmp" : "_s1tmp"; }

}  // namespace qbc
