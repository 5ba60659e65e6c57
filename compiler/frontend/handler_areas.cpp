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

int HandlerStackBytes(const CompilerState& st) {
  if (!st.sym.HandlerDeclared) return 0;
  // What a handler can reach below its Y, bounded without a call graph: every frame of
  // every procedure and handler at once (a chain of calls without recursion never holds
  // more, and handlers nested by a user who enables interrupts in one are covered too),
  // two scratch copies of the longest string where a handler or a procedure makes
  // such copies (a string compare holds both operands below Y) and the text of a number conversion with the values pushed by an expression.
  int frames = 0;
  for (std::size_t i = 0; i < st.sym.Procs.size(); ++i) frames += st.sym.Procs[static_cast<long>(i)].FrameSize;
  int longest = 0;
  for (std::size_t i = 0; i < st.sym.GlobalVars.size(); ++i) {
    const GlobalVarRecord& v = st.sym.GlobalVars[static_cast<long>(i)];
    if (v.VarType != kTypeString || v.Storage == kStorageFlash) continue;
    longest = std::max<int>(longest, v.ElementSize != 0 ? v.ElementSize - 1 : v.Size - 1);
  }
  for (std::size_t i = 0; i < st.sym.LocalVars.size(); ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[static_cast<long>(i)];
    if (v.VarType == kTypeString) longest = std::max<int>(longest, v.StrLen);
  }
  const int strings = st.Cells<HandlerReachCells>().StringScratch ? 2 * (longest + 1) : 0;
  const int text = std::max(16, FormatTextBytes(st.Cells<NumberFormatCells>()) + 2);
  return frames + strings + text + 16;
}

std::string HandlerTextStart(const CompilerState& st) { return FormatTextBytes(st.Cells<NumberFormatCells>()) != 0 ? "_s2tmp" : "_s1tmp"; }

}  // namespace qbc
