// The build in a process of its own: its report, failures and waits reach the caller as
// they come, and a build that dies takes nothing of the caller with it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "ide/build/build_locks.h"
#include "ide/build/isolated_build.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

// Keeps the order of what it was told.
class RecordingSink : public ReportSink {
 public:
  std::vector<std::string> events;
  void Failure(const std::string& description) override {
    ReportSink::Failure(description);
    events.push_back("failure " + description);
  }

 protected:
  void Changed() override { events.push_back("text " + Text()); }
};

TEST(IsolatedBuild, TheChildsReportFailuresAndWaitsArriveInOrder) {
  RecordingSink report;
  BuildOutcome outcome;
  std::string stopped;
  IsolationHooks hooks;
  hooks.wait = [&] { report.events.push_back("wait"); };
  const int errors = RunIsolated(
      [](ReportSink& sink, BuildOutcome& o, const std::function<void()>& wait) {
        sink.SetText("Running Compiler ... ");
        sink.SetText("Quorvil Compiler : 3 lines compiled OK\r\n");
        sink.Append("Assembling ....  :");
        sink.Append(" DONE\r\n");
        wait();
        sink.Failure("a failure");
        o.assembled = true;
        o.assemblerErrors = 2;
        o.tooBig = true;
        return 7;
      },
      report,
      outcome,
      hooks,
      stopped);
  EXPECT_EQ(errors, 7);
  EXPECT_EQ(stopped, "");
  EXPECT_TRUE(outcome.assembled);
  EXPECT_EQ(outcome.assemblerErrors, 2);
  EXPECT_TRUE(outcome.tooBig);
  const std::vector<std::string> expected{
      "text Running Compiler ... ",
      "text Quorvil Compiler : 3 lines compiled OK\r\n",
      "text Quorvil Compiler : 3 lines compiled OK\r\nAssembling ....  :",
      "text Quorvil Compiler : 3 lines compiled OK\r\nAssembling ....  : DONE\r\n",
      "wait",
      "failure a failure",
  };
  EXPECT_EQ(report.events, expected);
}

// A crash, a stack overflow, an exit without a result: the caller learns how the build
// ended and goes on.
TEST(IsolatedBuild, AChildThatDiesIsReportedAndTheCallerLivesOn) {
  struct Case {
    const char* what;
    BuildBody body;
    std::string stopped;
  } cases[] = {
      {"a kill",
       [](ReportSink& sink, BuildOutcome&, const std::function<void()>&) {
         sink.SetText("Running Compiler ... ");
         std::raise(SIGKILL);  // a signal no handler of the build (a sanitizer's among them) can catch
         return 0;
       },
       "signal 9, Killed"},
      {"an exit without a result", [](ReportSink&, BuildOutcome&, const std::function<void()>&) -> int { _exit(4); },
       "exit status 4 without a result"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ReportSink report;
    BuildOutcome outcome;
    outcome.assembled = true;
    std::string stopped;
    EXPECT_EQ(RunIsolated(c.body, report, outcome, {}, stopped), -1);
    EXPECT_EQ(stopped, c.stopped);
    EXPECT_FALSE(outcome.assembled);
  }
}

// The whole build: killed while it assembles, it leaves no .hex and no tmp.tmp, and says
// so in the report and on the failure channel.
TEST(IsolatedBuild, ABuildKilledWhileItAssemblesLeavesNothingThatPassesForABuild) {
  const std::string dir = test::MakeTempDir("killed build");
  const std::string crasher = dir + "/crash-the-build";
  // Stands in for avra: it kills the process that runs the build, AvrAsm32's parent.
  test::WriteFile(crasher, "#!/bin/sh\nread -r _ _ _ build _ < /proc/$PPID/stat\nkill -KILL $build\nsleep 5\n");
  chmod(crasher.c_str(), 0755);
  InstallationLock lock;
  std::string holder;
  ASSERT_TRUE(lock.Acquire(test::BinDir(), "test", std::chrono::seconds(120), holder)) << holder;
  test::WriteFile(dir + "/p.hex", ":00000001FF\r\n");
  setenv("QBC_AVRA", crasher.c_str(), 1);
  test::CompilerFixture f;
  ReportSink report;
  BuildOutcome outcome;
  const int errors = RunBuildCommandIsolated(
      f.st, {test::BinDir(), dir + "/p.bas"}, "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nEnd\r\n", report, &outcome);
  unsetenv("QBC_AVRA");
  const std::string said = "The build stopped (signal 9, Killed): nothing was built; the text in the editor is kept.";
  EXPECT_EQ(errors, 1);
  EXPECT_FALSE(outcome.assembled);
  EXPECT_EQ(report.LastFailure(), said);
  EXPECT_EQ(report.Text(), "Quorvil Compiler : 4 lines compiled OK\r\nAssembling ....  :\r\n" + said + "\r\n");
  EXPECT_FALSE(fs::exists(dir + "/p.hex"));
  EXPECT_FALSE(fs::exists(test::BinDir() + "/tmp.tmp"));
}

}  // namespace
}  // namespace qbc
