#pragma once
// "RUN   (Compile)": the active document through the build command that qbc runs as well
// (compile, assemble, report), with the report box showing every step and the wait before
// the assembler output is examined. One build at a time, each in a process of its own.
#include <QString>
#include <functional>
#include <memory>

namespace qbc {

class DocumentManager;
class ReportBox;
struct CompilerState;

class BuildRunner {
 public:
  // `wait` stands for the one-second pause that lets the window repaint before the
  // assembler's output is read. A build shares the installation folder's tmp.tmp with
  // every qbc run there: it waits at most `lockWaitMs` for one of those to end, and
  // `busy` tells the user when it gave up.
  BuildRunner(DocumentManager& documents, ReportBox& report, QString installDir, std::function<void()> wait,
              int lockWaitMs, std::function<void(const QString&)> busy);
  ~BuildRunner();

  void Run();
  bool Running() const { return running_; }
  // Called with true when a build starts and false when it ends.
  std::function<void(bool)> onRunning;

 private:
  DocumentManager& documents_;
  ReportBox& report_;
  QString installDir_;
  std::function<void()> wait_;
  int lockWaitMs_;
  std::function<void(const QString&)> busy_;
  std::unique_ptr<CompilerState> state_;
  bool running_ = false;
};

}  // namespace qbc
