// qbc: the command-line face of the environment's "RUN   (Compile)" command.
//   qbc FILE.bas   compile, assemble and print the report box text
//   qbc FILE.asm   assemble an assembler document
// Exit status: 0 when no compile error was counted and the assembler listed no error,
// 1 when either happened (or the compiler failed, or the code is too big for the flash),
// 2 for a usage or file error.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "ide/build/build_command.h"

namespace {

std::string InstallDir(const char* argv0) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0);
  return self.parent_path().string();
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: qbc FILE.bas | FILE.asm\n";
    return 2;
  }
  std::filesystem::path doc = std::filesystem::absolute(argv[1]);
  std::ifstream in(doc, std::ios::binary);
  if (!in) {
    std::cerr << "qbc: cannot read " << argv[1] << "\n";
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();

  auto state = std::make_unique<qbc::CompilerState>();
  StderrFailureReport report;
  qbc::BuildPaths paths{InstallDir(argv[0]), doc.string()};
  // tmp.tmp lives in the installation folder: one build at a time uses it (tests and
  // terminals may start several qbc at once).
  std::string lockPath = paths.installDir + "/.qbc.lock";
  int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock >= 0) flock(lock, LOCK_EX);
  qbc::BuildOutcome outcome;
  int errors = qbc::RunBuildCommand(*state, paths, text.str(), report, &outcome);
  if (lock >= 0) close(lock);
  // The report box keeps CR LF line ends; a terminal wants LF.
  std::string shown;
  for (char c : report.Text())
    if (c != '\r') shown += c;
  std::cout << shown;
  if (!shown.empty() && shown.back() != '\n') std::cout << "\n";
  const bool assemblyFailed = outcome.assemblerErrors != 0 || outcome.tooBig;
  return (errors != 0 || report.failed || assemblyFailed) ? 1 : 0;
}
