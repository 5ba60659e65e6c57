#include "ide/build/build_command.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "compiler/driver/driver.h"
#include "ide/build/assembler_report.h"
#include "ide/build/assembler_run.h"

namespace qbc {

namespace {

bool EndsInBas(const std::string& path) {
  if (path.size() < 3) return false;
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == "bas";
}

// Writes the whole text or says why it could not: a file that was not written must never
// be compiled or assembled in its old state.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& why) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) {
    out << text;
    out.close();
    if (!out.fail()) return true;
  }
  why = errno != 0 ? std::strerror(errno) : "write error";
  return false;
}

// The document's own file gets the editor text (File Save); an unchanged file is left
// alone.
bool SaveDocument(const std::string& path, const std::string& text, std::string& why) {
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::string current((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (current == text) return true;
    }
  }
  return WriteWholeFile(path, text, why);
}

void ReportFileError(ReportSink& report, const std::string& path, const std::string& why) {
  report.SetText(WriteNumber(1) + ". Cannot write " + path + ": " + why + "\r\n");
}

}  // namespace

int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report, BuildOutcome* outcome, const std::function<void()>& wait) {
  const std::string tmp = paths.installDir + "/tmp.tmp";
  const std::string baseName = DocumentBaseName(paths.documentPath);
  const std::string hexPath = baseName + ".hex";
  std::error_code ec;
  // The .hex of an earlier build must not outlive a build that fails: the programmer would
  // load the old program.
  std::filesystem::remove(hexPath, ec);
  int errors = 0;
  bool assembled = false;
  ExtractResult result;
  st.report = &report;
  std::string why;
  if (EndsInBas(paths.documentPath)) {
    report.SetText("Running Compiler ... ");
    if (!WriteWholeFile(tmp, documentText, why)) {
      ReportFileError(report, tmp, why);
      errors = 1;
    } else {
      // A run-time failure of the compiler counts as an error: its .asm is partial.
      CompileProgram(st, paths.documentPath, paths.installDir);
      errors = st.ErrorCount;
      if (errors == 0) {
        result = Assembling(st, paths.installDir, baseName, false, true, report, wait);
        assembled = true;
      }
    }
  } else if (!SaveDocument(paths.documentPath, documentText, why)) {
    ReportFileError(report, paths.documentPath, why);
    errors = 1;
  } else {
    result = Assembling(st, paths.installDir, baseName, true, false, report, wait);
    assembled = true;
  }
  if (errors != 0 || result.errorLines != 0 || result.tooBig) std::filesystem::remove(hexPath, ec);
  if (outcome) {
    outcome->assembled = assembled;
    outcome->assemblerErrors = result.errorLines;
    outcome->tooBig = result.tooBig;
  }
  st.ResetCompilerGlobals();
  std::filesystem::remove(tmp, ec);
  return errors;
}

}  // namespace qbc
