#include "ide/build/build_command.h"

#include <filesystem>
#include <fstream>

#include "compiler/frontend/driver.h"

namespace qbc {

namespace {

bool EndsInBas(const std::string& path) {
  if (path.size() < 3) return false;
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == "bas";
}

}  // namespace

int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report) {
  const std::string tmp = paths.installDir + "/tmp.tmp";
  int errors = 0;
  st.report = &report;
  if (EndsInBas(paths.documentPath)) {
    {
      std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
      f << documentText;
    }
    report.SetText("Running Compiler ... ");
    CompileProgram(st, paths.documentPath, paths.installDir);
    errors = st.ErrorCount;
    // The assembler step comes with the assembler layer.
  }
  st.ResetCompilerGlobals();
  std::error_code ec;
  std::filesystem::remove(tmp, ec);
  return errors;
}

}  // namespace qbc
