#include "compiler/frontend/init_code_lines.h"

#include "compiler/base/compile_error.h"

namespace qbc {

void AppendInitCodeLine(CompilerState& st, const std::string& line) {
  if (st.expr.ConfigScratch >= st.cfg.InitCodeLines.size())
    StopAtCompilerLimit(st, "Too many $watchdog, $spi and $timer settings (33 start-up lines)!");
  st.cfg.InitCodeLines[st.expr.ConfigScratch] = line;
  ++st.expr.ConfigScratch;
}

}  // namespace qbc
