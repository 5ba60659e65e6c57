#include "compiler/base/labels.h"

#include <cstdint>
#include <limits>

namespace qbc {

std::string NewLabel(CompilerState& st) {
  std::string digits = "0000" + std::to_string(st.sym.LabelCounter);
  std::string label = "L" + digits.substr(digits.size() - 4);
  if (st.sym.LabelCounter == std::numeric_limits<std::int16_t>::max())
    throw CompileFailure("Overflow (more than 32767 generated labels)");
  ++st.sym.LabelCounter;
  return label;
}

void EmitLabel(CompilerState& st, std::string_view label) { st.out.Label(label); }

}  // namespace qbc
