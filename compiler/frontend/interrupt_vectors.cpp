#include "compiler/frontend/interrupt_vectors.h"

#include <string>

#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

int VectorCount(CompilerState& st) {
  const std::string& text = st.sym.InterruptVectors[0].Name;
  int count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    count = count * 10 + (c - '0');
    if (count > 1000) break;
  }
  const int last = static_cast<int>(st.sym.InterruptVectors.size()) - 1;
  return count > last ? last : count;
}

}  // namespace

int FindInterruptVector(CompilerState& st, std::string_view name) {
  const std::string wanted = UpperText(name);
  if (wanted.empty()) return 0;
  const int count = VectorCount(st);
  for (int i = 1; i <= count; ++i) {
    const std::string& key = st.sym.InterruptVectors[i].Name;
    std::string_view stem(key);
    stem = stem.substr(0, stem.find("addr"));
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '\t')) stem.remove_suffix(1);
    if (stem == wanted) return i;
  }
  return 0;
}

bool HasInterruptVector(const CompilerState& st, std::string_view name) {
  return !name.empty() && DeviceSymbolValue(st, LowerText(std::string(name)) + "addr").has_value();
}

}  // namespace qbc
