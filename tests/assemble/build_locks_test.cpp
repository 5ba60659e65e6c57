// One build at a time per installation folder, but never a wait without end: a build that
// keeps the folder too long is named by the one that gives up.
#include "ide/build/build_locks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tests/support/run_command.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

using std::chrono::milliseconds;

TEST(InstallationLock, ASecondBuildWaitsBoundedAndNamesTheHolder) {
  const std::string install = test::MakeTempDir("lock");
  InstallationLock first;
  std::string holder;
  ASSERT_TRUE(first.Acquire(install, "/docs/first.bas", milliseconds(0), holder));

  InstallationLock second;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(second.Acquire(install, "/docs/second.bas", milliseconds(200), holder));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, milliseconds(200));
  EXPECT_LT(waited, milliseconds(5000));
  EXPECT_EQ(holder, "process " + std::to_string(getpid()) + ", building /docs/first.bas");

  first.Release();
  EXPECT_TRUE(second.Acquire(install, "/docs/second.bas", milliseconds(200), holder));
}

// qbc gives up with exit status 2 and says who keeps the folder.
TEST(InstallationLock, QbcGivesUpOnAFolderKeptByAnotherBuild) {
  InstallationLock held;
  std::string holder;
  ASSERT_TRUE(held.Acquire(test::BinDir(), "/somewhere/hanging.bas", milliseconds(60000), holder));
  const std::string dir = test::MakeTempDir("lockqbc");
  test::WriteFile(dir + "/p.bas", "a = 1\r\n");
  test::CommandResult run = test::RunShell("QBC_LOCK_WAIT=1 '" + test::BinDir() + "/qbc' '" + dir + "/p.bas'");
  held.Release();
  EXPECT_EQ(run.status, 2) << run.output;
  EXPECT_NE(run.output.find("in use by another build (process " + std::to_string(getpid()) +
                     ", building /somewhere/hanging.bas)"),
            std::string::npos)
      << run.output;
}

}  // namespace
}  // namespace qbc
