#include "ide/build/build_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "compiler/base/whole_file.h"
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

// The document's own file gets the editor text (File Save); an unchanged file is left
// alone.
bool SaveDocument(const std::string& path, const std::string& text, std::string& why) {
  std::string current;
  if (ReadWholeFile(path, current, why) == FileRead::kRead && current == text) return true;
  return WriteWholeFile(path, text, why, true);
}

// The .hex of an earlier build must not outlive a build that fails: the programmer would
// load the old program. One that cannot be removed (a read-only folder), or a folder of
// that name, stops the build before anything is made.
bool RemoveOldHex(const std::string& hexPath, std::string& why) {
  struct stat st {};
  if (lstat(hexPath.c_str(), &st) != 0) return true;
  if (S_ISDIR(st.st_mode)) {
    why = std::strerror(EISDIR);
    return false;
  }
  if (unlink(hexPath.c_str()) == 0 || errno == ENOENT) return true;
  why = std::strerror(errno);
  return false;
}

void ReportFileError(ReportSink& report, const std::string& what, const std::string& path, const std::string& why) {
  report.SetText(WriteNumber(1) + ". " + what + " " + path + ": " + why + "\r\n");
}

}  // namespace

int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report, BuildOutcome* outcome, const std::function<void()>& wait) {
  const std::string tmp = paths.installDir + "/tmp.tmp";
  const std::string baseName = DocumentBaseName(paths.documentPath);
  const std::string hexPath = baseName + ".hex";
  std::error_code ec;
  int errors = 0;
  bool assembled = false;
  ExtractResult result;
  st.report = &report;
  std::string why;
  if (!RemoveOldHex(hexPath, why)) {
    ReportFileError(report, "Cannot remove the old", hexPath, why);
    errors = 1;
  } else if (EndsInBas(paths.documentPath)) {
    report.SetText("Running Compiler ... ");
    if (!WriteWholeFile(tmp, documentText, why)) {
      ReportFileError(report, "Cannot write", tmp, why);
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
    ReportFileError(report, "Cannot write", paths.documentPath, why);
    errors = 1;
  } else {
    result = Assembling(st, paths.installDir, baseName, true, false, report, wait);
    assembled = true;
  }
  if (errors != 0 || result.errorLines != 0 || result.tooBig) RemoveOldHex(hexPath, why);
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
