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
#include "toolchain/output_temporaries.h"

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

// The files the assembler makes beside the document, the .hex first: it goes first, so that
// no .hex stands beside files of another build.
constexpr const char* kOutputs[] = {".hex", ".eep", ".map"};

// The outputs of an earlier build must not outlive a build that fails: the programmer would
// load the old program, its EEPROM image or map would pass for this one's. One that cannot
// be removed (a read-only folder), or a folder in the place of the .hex, stops the build
// before anything is made; a folder in the place of the .eep or .map is the assembler's to
// report. A link is removed, not what it names.
bool RemoveOldOutputs(const std::string& baseName, std::string& failed, std::string& why) {
  for (const char* extension : kOutputs) {
    const std::string path = baseName + extension;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (extension != kOutputs[0]) continue;
      failed = path;
      why = std::strerror(EISDIR);
      return false;
    }
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
      failed = path;
      why = std::strerror(errno);
      return false;
    }
  }
  return true;
}

// A document in the place of one of its own outputs would be removed by its build.
const char* OutputInPlaceOf(const std::string& documentPath, const std::string& baseName) {
  for (const char* extension : kOutputs)
    if (documentPath == baseName + extension) return extension;
  return nullptr;
}

void ReportFileError(ReportSink& report, const std::string& what, const std::string& path, const std::string& why) {
  report.SetText(WriteNumber(1) + ". " + what + " " + path + ": " + why + "\r\n");
}

}  // namespace

void RemoveUnfinishedBuild(const BuildPaths& paths) {
  const std::string baseName = DocumentBaseName(paths.documentPath);
  RemoveWriterLeftovers(paths.installDir + "/tmp.tmp");
  RemoveWriterLeftovers(baseName + ".asm");
  RemoveWriterLeftovers(baseName + ".map");
  for (const char* extension : kOutputs) RemoveFilesBeside(baseName + extension, IsAssemblerTemporaryName);
}

void RemoveStoppedBuild(const BuildPaths& paths) {
  const std::string baseName = DocumentBaseName(paths.documentPath);
  for (const char* extension : kOutputs)
    if (paths.documentPath != baseName + extension) unlink((baseName + extension).c_str());
  unlink((paths.installDir + "/tmp.tmp").c_str());
  RemoveUnfinishedBuild(paths);
}

int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report, BuildOutcome* outcome, const std::function<void()>& wait) {
  const std::string tmp = paths.installDir + "/tmp.tmp";
  const std::string baseName = DocumentBaseName(paths.documentPath);
  std::error_code ec;
  int errors = 0;
  bool assembled = false;
  ExtractResult result;
  st.report = &report;
  std::string why;
  std::string failed;
  // What a build stopped part-way left goes first: nothing of it is of this build.
  RemoveUnfinishedBuild(paths);
  const char* documentAsOutput = OutputInPlaceOf(paths.documentPath, baseName);
  if (const char* extension = documentAsOutput) {
    report.SetText(WriteNumber(1) + ". Cannot build " + paths.documentPath + ": the build writes its " + extension +
                   " file in its place\r\n");
    errors = 1;
  } else if (!RemoveOldOutputs(baseName, failed, why)) {
    ReportFileError(report, "Cannot remove the old", failed, why);
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
  if ((errors != 0 || result.errorLines != 0 || result.tooBig) && !documentAsOutput)
    RemoveOldOutputs(baseName, failed, why);
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
