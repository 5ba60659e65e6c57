#pragma once
// CompileProgram runs one whole compilation: it reads the saved source copy tmp.tmp in the
// installation folder and writes the .asm file beside the document.
#include <string>

#include "compiler/base/state.h"

namespace qbc {

// documentPath: the document's full path as the environment knows it (the .asm goes
// beside it, named after it). installDir: the installation folder (tmp.tmp, inc/).
// Compile errors are counted in st.ErrorCount and listed in *st.report; a run-time
// failure of the compiler goes to st.report->Failure().
// A run-time failure also counts as an error, so that nobody assembles the partial file.
void CompileProgram(CompilerState& st, const std::string& documentPath, const std::string& installDir);

// The document path without its extension (folder and case kept): "/a/Prog.BAS" gives
// "/a/Prog", a name without extension stays whole. The .asm, .hex and .eep files of a
// document are this base name and their own extension.
std::string DocumentBaseName(const std::string& documentPath);

// Connects the statement loop and the dispatchers that the generators re-enter
// (CompilerState::entries); CompileProgram does it itself, a caller that runs the stages
// one by one calls it first.
void ConnectDriverEntries(CompilerState& st);

}  // namespace qbc
