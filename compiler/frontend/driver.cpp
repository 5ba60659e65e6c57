#include "compiler/frontend/driver.h"

namespace qbc {

// The full driver comes with the source reader and the statement loop.
void CompileProgram(CompilerState& st, const std::string& documentPath, const std::string& installDir) {
  st.ResetCompilerGlobals();
  (void)documentPath;
  (void)installDir;
}

}  // namespace qbc
