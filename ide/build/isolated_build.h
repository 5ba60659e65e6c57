#pragma once
// The build command in a process of its own, for the environment: whatever happens to a
// build (a crash, a stack overflow, memory run out), the environment and the text in its
// editor windows live on. The build's report reaches the environment's report box as it is
// written, its failures and its waits as they come.
#include <functional>
#include <string>

#include "compiler/base/report.h"
#include "compiler/base/state.h"
#include "ide/build/build_command.h"

namespace qbc {

// A build as RunIsolated runs it: it writes to `report`, fills `outcome` and calls `wait`.
using BuildBody = std::function<int(ReportSink& report, BuildOutcome& outcome, const std::function<void()>& wait)>;

// Runs `body` in a child process, with the programs it starts in a process group of
// their own. Every change of the child's report is made to `report` as it happens, each
// failure goes to report.Failure(), and each wait the child asks for runs here (the
// child goes on meanwhile). Returns the body's result. A child that does not end normally
// (killed by a signal, or ended without its result) returns -1 with `stopped` telling how
// it ended; what it had started is ended too.
int RunIsolated(const BuildBody& body, ReportSink& report, BuildOutcome& outcome,
                const std::function<void()>& wait, std::string& stopped);

// RunBuildCommand in a process of its own. A build process that does not end normally
// leaves no .hex and no tmp.tmp, is reported in the report box and on the failure channel,
// and counts as one error.
int RunBuildCommandIsolated(CompilerState& st, const BuildPaths& paths, const std::string& documentText,
                            ReportSink& report, BuildOutcome* outcome = nullptr,
                            const std::function<void()>& wait = {});

}  // namespace qbc
