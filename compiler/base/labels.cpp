#include "compiler/base/labels.h"

#include <cstdint>
#include <limits>

namespace qbc {

std::string NewLabel(CompilerState& st) {
  // At least four digits, more once they are needed: a label never repeats within a
  // program (L9999 is followed by L10000).
  std::string digits = std::to_string(st.sym.LabelCounter);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  const std::string label = "L" + digits;
  if (st.sym.LabelCounter == std::numeric_limits<std::int32_t>::max())
    throw CompileFailure("Overflow (more than 2147483647 generated labels)");
  ++st.sym.LabelCounter;
  return label;
}

void EmitLabel(CompilerState& st, std::string_view label) { st.out.Label(label); }

}  // namespace qbc
