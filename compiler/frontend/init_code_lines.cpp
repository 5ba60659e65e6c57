#include "compiler/frontend/init_code_lines.h"

namespace qbc {

void AppendInitCodeLine(CompilerState& st, const std::string& line) {
  st.cfg.InitCodeLines[st.expr.ConfigScratch] = line;
  ++st.expr.ConfigScratch;
}

}  // namespace qbc
