#pragma once
// The build command in a process of its own, for the environment: whatever happens to a
// build (a crash, a stack overflow, memory run out), the environment and the text in its
// editor windows live on. The build's report reaches the environment's report box as it is
// written, its failures and its waits as they come; the environment keeps its window alive
// meanwhile and may stop the build.
#include <functional>
#include <sys/types.h>

#include <string>
#include <vector>

#include "compiler/base/report.h"
#include "compiler/base/state.h"
#include "ide/build/build_command.h"

namespace qbc {

// A build as RunIsolated runs it: it writes to `report`, fills `outcome` and calls `wait`.
using BuildBody = std::function<int(ReportSink& report, BuildOutcome& outcome, const std::function<void()>& wait)>;

// Ends a build that runs in a process of its own from the event handlers of an environment
// that stays alive while it runs.
class BuildStop {
 public:
  // Ends the build's whole process group (the build, the assembler, avra) at once; the
  // build then counts as stopped, whatever it had done.
  void Request();
  bool Requested() const { return requested_; }
  // The process group of the build that runs (RunIsolated sets it; 0: none runs). A stop
  // requested before the build started ends it as it starts.
  void Attach(pid_t group);

 private:
  pid_t group_ = 0;
  bool requested_ = false;
};

// What the caller of a build in a process of its own gives it.
struct IsolationHooks {
  // Each wait the child asks for runs here (the child goes on meanwhile).
  std::function<void()> wait;
  // Returns once `fd` can be read: the environment serves its window meanwhile. None: the
  // read waits.
  std::function<void(int fd)> waitForOutput;
  BuildStop* stop = nullptr;
  // Descriptors every process of the build holds while it lives (the installation lock).
  std::vector<int> handDown;
};

// Runs `body` in a child process, with the programs it starts in a process group of
// their own that ends with the caller. Every change of the child's report is made to
// `report` as it happens, each failure goes to report.Failure(). Returns the body's result
// once every process of the build has ended. A child that does not end normally (killed by
// a signal, stopped, or ended without its result) returns -1 with `stopped` telling how it
// ended; what it had started is ended too.
int RunIsolated(const BuildBody& body, ReportSink& report, BuildOutcome& outcome, const IsolationHooks& hooks,
                std::string& stopped);

// RunBuildCommand in a process of its own. A build process that does not end normally
// leaves no .hex, .eep, .map, tmp.tmp or temporary file, is reported in the report box (and
// on the failure channel when it was not stopped on request), and counts as one error.
int RunBuildCommandIsolated(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                            ReportSink& report, BuildOutcome* outcome = nullptr, const IsolationHooks& hooks = {});

}  // namespace qbc
