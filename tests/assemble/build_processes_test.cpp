// The processes of a build end with it: qbc killed by its process id while it assembles
// leaves no AvrAsm32 or avra running on (which put a .hex beside a later build's source),
// and the installation lock stays held until they have ended.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "ide/build/build_locks.h"
#include "tests/support/processes.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nA = 7\r\nEnd\r\n";

pid_t StartQbc(const std::string& document, const std::string& avra) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("QBC_AVRA", avra.c_str(), 1);
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    const std::string qbc = test::BinDir() + "/qbc";
    execl(qbc.c_str(), qbc.c_str(), document.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

TEST(BuildProcesses, AKilledQbcTakesItsAssemblerWithItAndHoldsTheLockUntilItHasEnded) {
  for (int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(strsignal(signal));
    const std::string dir = test::MakeTempDir("killed qbc");
    // Stands in for avra: tells its own process id and AvrAsm32's, then takes its time.
    const std::string avra = dir + "/slow-avra";
    test::WriteFile(avra, "#!/bin/sh\necho $PPID $$ > '" + dir + "/pids.tmp'\nmv '" + dir + "/pids.tmp' '" + dir +
                              "/pids'\nexec sleep 20\n");
    chmod(avra.c_str(), 0755);
    test::WriteFile(dir + "/p.bas", kProgram);
    const pid_t qbc = StartQbc(dir + "/p.bas", avra);
    // Other tests' builds may hold the installation folder first.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!fs::exists(dir + "/pids") && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pid_t avrAsm32 = 0;
    pid_t slowAvra = 0;
    std::istringstream(test::ReadFile(dir + "/pids")) >> avrAsm32 >> slowAvra;
    ASSERT_GT(slowAvra, 0);
    kill(qbc, signal);
    int ws = 0;
    waitpid(qbc, &ws, 0);
    EXPECT_TRUE(WIFSIGNALED(ws) && WTERMSIG(ws) == signal);

    InstallationLock lock;
    std::string holder;
    ASSERT_TRUE(lock.Acquire(test::BinDir(), "test", std::chrono::seconds(120), holder)) << holder;
    // The lock came free only once the build's programs had ended.
    const bool assemblerRan = test::ProcessRuns(avrAsm32);
    const bool avraRan = test::ProcessRuns(slowAvra);
    EXPECT_FALSE(assemblerRan);
    EXPECT_FALSE(avraRan);
    lock.Release();
    if (assemblerRan) kill(avrAsm32, SIGKILL);
    if (avraRan) kill(slowAvra, SIGKILL);
    EXPECT_FALSE(fs::exists(dir + "/p.hex"));
  }
}

}  // namespace
}  // namespace qbc
