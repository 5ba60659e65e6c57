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

// The installation's copy of the source that the compiler reads: every compilation made
// there writes it and removes it again.
std::string SourceCopyPath(const BuildPaths& paths) { return paths.installDir + "/tmp.tmp"; }

// Where a file lives: its folder with every link resolved, then its name, so that two names
// of one place compare equal. `followLast` resolves a link in the file's own place too (the
// document is written through one); the build's own files replace a link instead.
std::string PlaceOf(const std::string& path, bool followLast) {
  std::error_code ec;
  const std::filesystem::path p(path);
  std::filesystem::path place = followLast ? std::filesystem::weakly_canonical(p, ec)
                                           : std::filesystem::weakly_canonical(p.parent_path(), ec) / p.filename();
  return ec ? path : place.string();
}

// The file of a build that lives where the document does: the build would replace or
// remove the document with it. The source copy counts for every document (any
// compilation in the installation replaces and removes it), the .asm for a Basic one.
const char* BuildFileInPlaceOf(const BuildPaths& paths) {
  const std::string document = PlaceOf(paths.documentPath, true);
  const std::string baseName = DocumentBaseName(paths.documentPath);
  for (const char* extension : kOutputs)
    if (document == PlaceOf(baseName + extension, false)) return extension;
  if (EndsInBas(paths.documentPath) && document == PlaceOf(baseName + ".asm", false)) return ".asm";
  if (document == PlaceOf(SourceCopyPath(paths), false)) return "tmp.tmp";
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
  // A build refused for its document's place made nothing; only a compilation writes the
  // source copy.
  if (!BuildFileInPlaceOf(paths)) {
    const std::string baseName = DocumentBaseName(paths.documentPath);
    for (const char* extension : kOutputs) unlink((baseName + extension).c_str());
    if (EndsInBas(paths.documentPath)) unlink(SourceCopyPath(paths).c_str());
  }
  RemoveUnfinishedBuild(paths);
}

int RunBuildCommand(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                    ReportSink& report, BuildOutcome* outcome, const std::function<void()>& wait) {
  const std::string tmp = SourceCopyPath(paths);
  const std::string baseName = DocumentBaseName(paths.documentPath);
  int errors = 0;
  bool assembled = false;
  bool wroteSourceCopy = false;
  ExtractResult result;
  st.report = &report;
  std::string why;
  std::string failed;
  // What a build stopped part-way left goes first: nothing of it is of this build.
  RemoveUnfinishedBuild(paths);
  const char* documentInPlace = BuildFileInPlaceOf(paths);
  if (documentInPlace) {
    report.SetText(WriteNumber(1) + ". Cannot build " + paths.documentPath + ": the build writes its " +
                   documentInPlace + " file in its place\r\n");
    errors = 1;
  } else if (!RemoveOldOutputs(baseName, failed, why)) {
    ReportFileError(report, "Cannot remove the old", failed, why);
    errors = 1;
  } else if (EndsInBas(paths.documentPath)) {
    report.SetText("Running Compiler ... ");
    // A link in the source copy's place is replaced: what it names is nobody's copy.
    if (!WriteWholeFile(tmp, documentText, why, false, Links::kReplace)) {
      ReportFileError(report, "Cannot write", tmp, why);
      errors = 1;
    } else {
      wroteSourceCopy = true;
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
  if ((errors != 0 || result.errorLines != 0 || result.tooBig) && !documentInPlace)
    RemoveOldOutputs(baseName, failed, why);
  if (outcome) {
    outcome->assembled = assembled;
    outcome->assemblerErrors = result.errorLines;
    outcome->tooBig = result.tooBig;
  }
  st.ResetCompilerGlobals();
  // Only the copy this build made: a file of that name it did not write is not its own.
  if (wroteSourceCopy) unlink(tmp.c_str());
  return errors;
}

}  // namespace qbc
