#pragma once
// The environment's "RUN   (Compile)" command without a window. The Qt environment and the
// command-line qbc call the same code.
#include <string>

#include "compiler/frontend/report.h"
#include "compiler/frontend/state.h"

namespace qbc {

struct BuildPaths {
  std::string installDir;    // the installation folder: tmp.tmp, inc/
  std::string documentPath;  // full path of the document
};

// Runs the build command on a document whose editor text is `documentText`.
// Returns the compiler's error count (0 for an assembler document).
int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report);

}  // namespace qbc
