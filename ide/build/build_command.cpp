#include "ide/build/build_command.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "compiler/frontend/driver.h"
#include "ide/build/assembler_run.h"

namespace qbc {

namespace {

bool EndsInBas(const std::string& path) {
  if (path.size() < 3) return false;
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == "bas";
}

// The document's own file gets the editor text (File Save); an unchanged file is left
// alone.
void SaveDocument(const std::string& path, const std::string& text) {
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::string current((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (current == text) return;
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

}  // namespace

int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report, BuildOutcome* outcome, const std::function<void()>& wait) {
  const std::string tmp = paths.installDir + "/tmp.tmp";
  // The base name: the path less its last four characters (prog.bas -> prog).
  const std::string baseName =
      paths.documentPath.size() >= 4 ? paths.documentPath.substr(0, paths.documentPath.size() - 4) : paths.documentPath;
  int errors = 0;
  bool assembled = false;
  ExtractResult result;
  st.report = &report;
  if (EndsInBas(paths.documentPath)) {
    {
      std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
      f << documentText;
    }
    report.SetText("Running Compiler ... ");
    const std::string failureBefore = report.LastFailure();
    CompileProgram(st, paths.documentPath, paths.installDir);
    errors = st.ErrorCount;
    // A run-time failure of the compiler leaves a partial .asm: nothing to assemble.
    const bool compilerFailed = report.LastFailure() != failureBefore;
    if (errors == 0 && !compilerFailed) {
      result = Assembling(st, paths.installDir, baseName, false, true, report, wait);
      assembled = true;
    }
  } else {
    SaveDocument(paths.documentPath, documentText);
    result = Assembling(st, paths.installDir, baseName, true, false, report, wait);
    assembled = true;
  }
  if (outcome) {
    outcome->assembled = assembled;
    outcome->assemblerErrors = result.errorLines;
    outcome->tooBig = result.tooBig;
  }
  st.ResetCompilerGlobals();
  std::error_code ec;
  std::filesystem::remove(tmp, ec);
  return errors;
}

}  // namespace qbc
