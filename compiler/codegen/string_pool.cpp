#include "compiler/codegen/string_pool.h"

#include <cstdio>

#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/base/compile_error.h"

namespace qbc {

int AddStringConstant(CompilerState& st, const std::string& text) {
  const int count = st.sym.StringConstCount;
  for (int i = 0; i < count; ++i)
    if (st.sym.StringConstants[i].Text == text) return i;
  if (count == static_cast<int>(st.sym.StringConstants.size()))
    StopAtCompilerLimit(st, "Too many string constants (256)!");
  StringConstRecord& r = st.sym.StringConstants[count];
  char label[8];
  std::snprintf(label, sizeof label, "S%03d", count);
  r.Number = count;
  r.Label = label;
  r.Text = text;
  st.sym.StringConstCount = static_cast<std::int16_t>(count + 1);
  return count;
}

void EmitLoadFlashAddressZ(CompilerState& st, int poolNumber) {
  const std::string& label = st.sym.StringConstants[poolNumber].Label;
  EmitLoadFlashLabelZ(st, label);
}

std::string PoolDataOperands(const std::string& text) {
  std::string out;
  std::string run;  // characters waiting for their quotes
  auto flush = [&] {
    if (run.empty()) return;
    out += (out.empty() ? "\"" : ", \"") + run + "\"";
    run.clear();
  };
  for (char c : text) {
    if (c == '\'') {
      flush();
      out += out.empty() ? "39" : ", 39";
    } else {
      run += c;
    }
  }
  flush();
  if (out.empty()) out = "\"\"";
  return out + ", 0";
}

void EmitStringConstantPool(CompilerState& st) {
  if (st.sym.StringConstCount == 0) return;
  st.out.Line("; String constants:");
  for (int i = 0; i < st.sym.StringConstCount; ++i) {
    const StringConstRecord& s = st.sym.StringConstants[i];
    st.out.Instr(s.Label, Sep::kNarrow, ".db", PoolDataOperands(s.Text));
  }
  st.out.Line();
}

}  // namespace qbc
