// qbc: the command-line face of the environment's "RUN   (Compile)" command.
//   qbc FILE.bas   compile, assemble and print the report box text
//   qbc FILE.asm   assemble an assembler document
// Exit status: 0 when no compile error was counted and the assembler listed no error,
// 1 when the build failed (a compile or assembler error, a failure of the compiler, code too
// big for the flash, a file of the build that could not be written), 2 for a usage error, a
// document that cannot be read (or is no regular file), or when another build kept the
// installation folder, or one from another installation the document's folder, longer than
// the wait allows (QBC_LOCK_WAIT seconds for each, 120 when not set).
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "compiler/base/whole_file.h"
#include "ide/build/build_command.h"
#include "ide/build/build_locks.h"

namespace {

std::string InstallDir(const char* argv0) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0, ec);
  return self.parent_path().string();
}

std::chrono::seconds LockWait() {
  const char* text = std::getenv("QBC_LOCK_WAIT");
  if (text == nullptr || *text == '\0') return std::chrono::seconds(120);
  char* end = nullptr;
  long seconds = std::strtol(text, &end, 10);
  if (*end != '\0' || seconds < 0 || seconds > 86400) return std::chrono::seconds(120);
  return std::chrono::seconds(seconds);
}

class StderrFailureReport : public qbc::ReportSink {
 public:
  void Failure(const std::string& description) override {
    ReportSink::Failure(description);
    failed = true;
    std::cerr << description << "\n";
  }
  bool failed = false;
};

int Usage() {
  std::cerr << "usage: qbc FILE.bas | FILE.asm\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // A file size limit (ulimit -f) makes a write fail, which every write checks, instead of
  // ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  if (argc != 2 || argv[1][0] == '\0') return Usage();
  std::error_code ec;
  const std::filesystem::path doc = std::filesystem::absolute(argv[1], ec);
  if (ec || std::filesystem::is_directory(doc, ec)) {
    std::cerr << "qbc: " << argv[1] << " is not a file\n";
    return Usage();
  }
  // Only a regular file: a pipe or a device such as /dev/zero would be read for ever.
  std::string text;
  std::string why;
  if (qbc::ReadWholeFile(doc.string(), text, why) != qbc::FileRead::kRead) {
    std::cerr << "qbc: cannot read " << argv[1] << ": " << why << "\n";
    return 2;
  }

  auto state = std::make_unique<qbc::CompilerState>();
  StderrFailureReport report;
  qbc::BuildPaths paths{InstallDir(argv[0]), doc.string()};
  qbc::InstallationLock lock;
  std::string holder;
  const std::chrono::seconds wait = LockWait();
  if (!lock.Acquire(paths.installDir, paths.documentPath, wait, holder)) {
    std::cerr << "qbc: gave up after " << wait.count() << " s: the installation folder " << paths.installDir
              << " is in use by another build (" << holder << ")\n";
    return 2;
  }
  qbc::FolderLock folder;
  if (!folder.Acquire(paths.documentPath, wait)) {
    std::cerr << "qbc: gave up after " << wait.count() << " s: the folder " << qbc::DocumentFolder(paths.documentPath)
              << " is in use by a build from another installation\n";
    return 2;
  }
  // The assembler holds the locks as well: a qbc killed while it assembles leaves the
  // installation and the folder to the next build only when the assembler (killed with it)
  // has ended.
  lock.HandDown();
  folder.HandDown();
  qbc::BuildOutcome outcome;
  int errors = qbc::RunBuildCommand(*state, paths, text, report, &outcome);
  folder.Release();
  lock.Release();
  // The report box keeps CR LF line ends; a terminal wants LF.
  std::string shown;
  for (char c : report.Text())
    if (c != '\r') shown += c;
  std::cout << shown;
  if (!shown.empty() && shown.back() != '\n') std::cout << "\n";
  const bool assemblyFailed = outcome.assemblerErrors != 0 || outcome.tooBig;
  return (errors != 0 || report.failed || assemblyFailed) ? 1 : 0;
}
