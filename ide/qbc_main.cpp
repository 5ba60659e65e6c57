// qbc: the command-line face of the environment's "RUN   (Compile)" command.
//   qbc FILE.bas   compile, assemble and print the report box text
//   qbc FILE.asm   assemble an assembler document
// Exit status: 0 when no compile error was counted and the assembler listed no error,
// 1 when either happened (or the compiler failed, or the code is too big for the flash),
// 2 for a usage or file error, or when another build kept the installation folder longer
// than the wait allows (QBC_LOCK_WAIT seconds, 120 when not set).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "ide/build/build_command.h"
#include "ide/build/installation_lock.h"

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

bool ReadDocument(const std::filesystem::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  try {
    std::stringstream all;
    all << in.rdbuf();
    if (in.bad()) return false;
    text = all.str();
    return true;
  } catch (const std::exception&) {
    return false;  // the stream library reports some read errors by throwing
  }
}

int Usage() {
  std::cerr << "usage: qbc FILE.bas | FILE.asm\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') return Usage();
  std::error_code ec;
  const std::filesystem::path doc = std::filesystem::absolute(argv[1], ec);
  if (ec || std::filesystem::is_directory(doc, ec)) {
    std::cerr << "qbc: " << argv[1] << " is not a file\n";
    return Usage();
  }
  std::string text;
  if (!ReadDocument(doc, text)) {
    std::cerr << "qbc: cannot read " << argv[1] << "\n";
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
  qbc::BuildOutcome outcome;
  int errors = qbc::RunBuildCommand(*state, paths, text, report, &outcome);
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
