#include "compiler/frontend/handler_areas.h"

#include <algorithm>

#include "compiler/frontend/number_format_cells.h"

namespace qbc {

int FormatTextBytes(const NumberFormatCells& numbers) {
  if (numbers.FormatDigits == 0 && numbers.FormatDecimals == 0) return 0;
  // The conversion writes up to 14 characters (the float text) whatever the format.
  return std::max(14, numbers.FormatDigits + numbers.FormatDecimals + 2);
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
  return FormatTextBytes(st.Cells<NumberFormatCells>()) + (st.sym.FloatVarDeclared ? 14 : 0);
}

std::string HandlerTextStart(const CompilerState& st) { return FormatTextBytes(st.Cells<NumberFormatCells>()) != 0 ? "_s2tmp" : "_s1tmp"; }

}  // namespace qbc
