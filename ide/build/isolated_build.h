#pragma once
// The build command in a process of its own, for the environment: whatever happens to a
// build (a crash, a stack overflow, memory run out), the environment and the text in its
// editor windows live on. The build's report reaches the environment's report box as it is
// written, its failures and its waits as they come; the environment keeps its window alive
// meanwhile and may stop the build.
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "compiler/base/report.h"
#include "compiler/base/state.h"
#include "ide/build/build_command.h"

namespace qbc {

// A build as IsolatedBuild runs it: it writes to `report`, fills `outcome` and calls `wait`.
using BuildBody = std::function<int(ReportSink& report, BuildOutcome& outcome, const std::function<void()>& wait)>;

// Ends a build that runs in a process of its own from the event handlers of an environment
// that stays alive while it runs.
class BuildStop {
 public:
  // Ends the build's whole process group (the build, the assembler, avra) at once; the
  // build then counts as stopped, whatever it had done.
  void Request();
  bool Requested() const { return requested_; }
  // The process group of the build that runs (IsolatedBuild sets it; 0: none runs). A stop
  // requested before the build started ends it as it starts.
  void Attach(pid_t group);

 private:
  pid_t group_ = 0;
  bool requested_ = false;
};

// A build in a process of its own, served from the caller's event loop and never waited
// for in it: Start it, then Serve it whenever Fd() can be read, until Serve says it has
// ended. Whatever loop runs then (a dialog's too) takes the build's report and its end.
class IsolatedBuild {
 public:
  enum class Step {
    kGoOn,   // serve again when Fd() can be read, or after PatienceMs() at the latest
    kWait,   // the build asked for the wait: serve again when it is over, whatever Fd() says
    kEnded,  // the build has ended: Result() tells how
  };

  IsolatedBuild() = default;
  IsolatedBuild(const IsolatedBuild&) = delete;
  IsolatedBuild& operator=(const IsolatedBuild&) = delete;
  // A build that still runs is ended.
  ~IsolatedBuild();

  // Runs `body` in a child process, with the programs it starts in a process group of
  // their own that ends with the caller. Every process of the build holds `handDown` while
  // it lives; `stop` (may be null) ends it. A build that cannot be started has ended.
  void Start(const BuildBody& body, BuildStop* stop, const std::vector<int>& handDown);
  // What to watch: it can be read when the build has written or its processes have ended.
  // -1 once the build has ended.
  int Fd() const;
  // How long the build's last programs may still take (-1: no limit now).
  int PatienceMs() const;
  // Passes every change of the child's report to `report` as it came (each failure to
  // report.Failure()), reading what is there without waiting for more.
  Step Serve(ReportSink& report);
  // Once it has ended: the body's result, or -1 when the child did not end normally
  // (killed by a signal, stopped, or ended without its result) with `stopped` telling how;
  // what it had started is ended too.
  int Result(BuildOutcome& outcome, std::string& stopped) const;

 private:
  enum class Phase { kReport, kLastPrograms, kEnded };
  void ReadReport();
  // Takes one whole message off the report read so far; false when none is whole.
  bool TakeMessage(char& kind, std::string& payload);
  void EndOfReport();
  bool LastProgramsEnded();

  Phase phase_ = Phase::kEnded;
  pid_t pid_ = -1;
  int report_ = -1;  // the child's report, read without waiting
  int life_ = -1;    // held open by every process of the build: its end is theirs
  std::string read_;
  bool reportEnded_ = false;
  bool haveResult_ = false;
  int errors_ = -1;
  BuildOutcome outcome_;
  bool reaped_ = false;
  int status_ = 0;
  bool stopRequested_ = false;
  std::string noProcess_;  // why the build could not be started
  BuildStop* stop_ = nullptr;
  long long lastProgramsDeadline_ = 0;  // steady clock, milliseconds
};

// What the caller of a build that waits where it runs gives it.
struct IsolationHooks {
  // Each wait the child asks for runs here (the child goes on meanwhile).
  std::function<void()> wait;
  BuildStop* stop = nullptr;
  // Descriptors every process of the build holds while it lives (the build's locks).
  std::vector<int> handDown;
};

// An IsolatedBuild served to its end where it is called. Returns the body's result once
// every process of the build has ended, or -1 as IsolatedBuild::Result does.
int RunIsolated(const BuildBody& body, ReportSink& report, BuildOutcome& outcome, const IsolationHooks& hooks,
                std::string& stopped);

// RunBuildCommand as the body of a build in a process of its own.
BuildBody BuildCommandBody(CompilerState& st, const BuildPaths& paths, const std::string& documentText);

// The end of the build command in a process of its own, given its result as
// IsolatedBuild::Result gives it. A build process that does not end normally leaves no
// .hex, .eep, .map, tmp.tmp or temporary file, is reported in the report box (and on the
// failure channel when it was not stopped on request), and counts as one error. Returns
// the error count.
int EndOfIsolatedBuild(const BuildPaths& paths, int result, const std::string& stopped, bool stopRequested,
                       ReportSink& report);

// RunBuildCommand in a process of its own, served to its end where it is called.
int RunBuildCommandIsolated(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                            ReportSink& report, BuildOutcome* outcome = nullptr, const IsolationHooks& hooks = {});

}  // namespace qbc
