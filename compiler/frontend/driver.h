#pragma once
// CompileProgram runs one whole compilation: it reads the saved source copy tmp.tmp in the
// installation folder and writes the .asm file beside the document.
#include <string>

#include "compiler/frontend/state.h"

namespace qbc {

// documentPath: the document's full path as the environment knows it (the .asm goes
// beside it, named after it). installDir: the installation folder (tmp.tmp, inc/).
// Compile errors are counted in st.ErrorCount and listed in *st.report; a run-time
// failure of the compiler goes to st.report->Failure().
void CompileProgram(CompilerState& st, const std::string& documentPath, const std::string& installDir);

}  // namespace qbc
