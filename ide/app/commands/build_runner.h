#pragma once
// "RUN   (Compile)": the active document through the build command that qbc runs as well
// (compile, assemble, report), with the report box showing every step and the wait before
// the assembler output is examined. One build at a time, each in a process of its own; the
// window stays alive while it runs (it repaints and takes input) and may stop it. The
// build is served from the window's events, whichever event loop runs them (a modal
// dialog's too): its report moves on and its end is taken there, once.
#include <QString>
#include <functional>
#include <memory>

class QEventLoop;

namespace qbc {

class DocumentManager;
class ReportBox;
struct CompilerState;

class BuildRunner {
 public:
  // `wait` stands for the one-second pause that lets the window repaint before the
  // assembler's output is read: it calls its argument when the pause is over, the window
  // served meanwhile. A build shares the installation folder's tmp.tmp with every qbc run
  // there, and the document's folder with builds from other installations: it waits at
  // most `lockWaitMs` for each, and `busy` tells the user when it gave up.
  BuildRunner(DocumentManager& documents, ReportBox& report, QString installDir,
              std::function<void(std::function<void()> then)> wait, int lockWaitMs,
              std::function<void(const QString&)> busy);
  ~BuildRunner();

  // Builds the active document; returns when the build has ended, serving the window's
  // events meanwhile.
  void Run();
  bool Running() const { return running_; }
  // Ends the running build's whole process group; the report says the build was stopped
  // and no .hex is left. Nothing when no build runs.
  void Stop();
  // Called with true when a build starts and false when it has ended.
  std::function<void(bool)> onRunning;

 private:
  struct Job;
  // Takes what the build wrote and, once it has ended, its end.
  void Serve();
  void End();

  DocumentManager& documents_;
  ReportBox& report_;
  QString installDir_;
  std::function<void(std::function<void()> then)> wait_;
  int lockWaitMs_;
  std::function<void(const QString&)> busy_;
  std::unique_ptr<CompilerState> state_;
  bool running_ = false;
  std::unique_ptr<Job> job_;  // the running build
  unsigned long builds_ = 0;
  QEventLoop* runLoop_ = nullptr;  // where Run waits for the end
};

}  // namespace qbc
