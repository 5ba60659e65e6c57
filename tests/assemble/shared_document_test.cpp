// Builds of one document from two installations. Each installation has a lock of its own;
// the document's folder has one for builds from every installation (the second build
// removed the first one's fresh .hex, and one of them failed or left none). A build
// removes only the temporary files whose writer has ended (it took the other build's live
// ones for a killed build's, and the other build failed).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "compiler/base/whole_file.h"
#include "ide/build/build_command.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/run_command.h"
#include "tests/support/stub_assembler.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nA = 7\r\nEnd\r\n";

struct Installation {
  std::string dir = test::MakeTempDir("installation");
  Installation() { test::MakeInstallation(dir); }
  int Build(const std::string& document) const {
    test::CompilerFixture f;
    ReportSink report;
    BuildOutcome outcome;
    return RunBuildCommand(f.st, {dir, document}, kProgram, report, &outcome) + outcome.assemblerErrors;
  }
};

// The hidden files in `dir`: the temporary files of the builds.
std::vector<std::string> HiddenFiles(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name[0] == '.' && name != ".qbc.lock") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool WaitFor(const std::string& path) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(path)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Temporary files whose writers live (here, this process): the compiler's .asm and the
// source copy, the assembler's .map and one of avra's outputs. A build of the document from
// another installation leaves them, and each writer then puts its file in place.
TEST(SharedDocument, ABuildLeavesTheTemporaryFilesOfLiveWriters) {
  const Installation mine;
  const Installation other;
  const std::string dir = test::MakeTempDir("shared document");
  std::vector<std::unique_ptr<WholeFileWriter>> writers;
  for (const std::string& path : {dir + "/p.asm", dir + "/p.map", other.dir + "/tmp.tmp"}) {
    std::string why;
    writers.push_back(std::make_unique<WholeFileWriter>());
    ASSERT_TRUE(writers.back()->Open(path, why)) << why;
  }
  // avra's output under the name AvrAsm32 gives it, held as AvrAsm32 holds it.
  const std::string avraOutput = dir + "/.p.hex.AbC123";
  test::WriteFile(avraOutput, "");
  const int held = open(avraOutput.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_TRUE(HoldTemporary(held, avraOutput));
  const std::vector<std::string> live = HiddenFiles(dir);
  ASSERT_EQ(live.size(), 3u);

  EXPECT_EQ(mine.Build(dir + "/p.bas"), 0);
  EXPECT_EQ(HiddenFiles(dir), live);
  EXPECT_EQ(HiddenFiles(other.dir).size(), 1u);
  for (const auto& writer : writers) {
    std::string why;
    EXPECT_TRUE(writer->Commit("written\n", why)) << why;
  }
  EXPECT_EQ(test::ReadFile(dir + "/p.asm"), "written\n");
  close(held);
  // Their writers gone, they are leftovers: the next build removes them.
  EXPECT_EQ(mine.Build(dir + "/p.bas"), 0);
  EXPECT_TRUE(HiddenFiles(dir).empty());
}

// The whole race, made one order: installation A's build has compiled and its assembler has
// made its files when installation B builds the document; A's assembler then goes on. Both
// builds succeed.
TEST(SharedDocument, TwoInstallationsBuildOneDocumentOneWhileTheOtherAssembles) {
  const Installation a;
  const Installation b;
  const std::string dir = test::MakeTempDir("shared document");
  test::WriteFile(dir + "/p.bas", kProgram);
  const std::string gate = test::WriteGatedAvra(dir);
  const pid_t first = fork();
  if (first == 0) {
    setenv("QBC_AVRA", gate.c_str(), 1);
    _exit(a.Build(dir + "/p.bas") == 0 ? 0 : 1);
  }
  ASSERT_TRUE(WaitFor(dir + "/started"));
  const std::vector<std::string> assembling = HiddenFiles(dir);
  EXPECT_FALSE(assembling.empty());

  EXPECT_EQ(b.Build(dir + "/p.bas"), 0);
  EXPECT_EQ(HiddenFiles(dir), assembling);

  test::WriteFile(dir + "/go", "");
  int ws = 0;
  ASSERT_EQ(waitpid(first, &ws, 0), first);
  EXPECT_TRUE(WIFEXITED(ws) && WEXITSTATUS(ws) == 0) << "installation A's build failed";
  EXPECT_TRUE(HiddenFiles(dir).empty());
  EXPECT_TRUE(fs::exists(dir + "/p.hex"));
}

// qbc from a second installation does not build while the first one builds in the
// document's folder: it waits (here not at all) and says why it gave up.
TEST(SharedDocument, QbcFromASecondInstallationWaitsForTheFirstOnesBuild) {
  const std::string second = test::MakeTempDir("second installation");
  test::MakeQbcInstallation(second);
  const std::string dir = test::MakeTempDir("shared document");
  const std::string document = dir + "/p.bas";
  test::WriteFile(document, kProgram);
  const std::string gate = test::WriteGatedAvra(dir);
  const pid_t first = fork();
  if (first == 0) {
    setenv("QBC_AVRA", gate.c_str(), 1);
    freopen("/dev/null", "w", stdout);
    const std::string qbc = test::BinDir() + "/qbc";
    execl(qbc.c_str(), qbc.c_str(), document.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Other tests' builds may hold this build's installation first.
  ASSERT_TRUE(WaitFor(dir + "/started"));
  const std::string secondQbc = "'" + second + "/qbc' '" + document + "'";
  const test::CommandResult refused = test::RunShell("QBC_LOCK_WAIT=0 " + secondQbc);
  EXPECT_EQ(refused.status, 2) << refused.output;
  EXPECT_EQ(refused.output,
            "qbc: gave up after 0 s: the folder " + dir + " is in use by a build from another installation\n");

  test::WriteFile(dir + "/go", "");
  int ws = 0;
  ASSERT_EQ(waitpid(first, &ws, 0), first);
  EXPECT_TRUE(WIFEXITED(ws) && WEXITSTATUS(ws) == 0);
  EXPECT_TRUE(fs::exists(dir + "/p.hex"));
  const test::CommandResult built = test::RunShell(secondQbc);
  EXPECT_EQ(built.status, 0) << built.output;
}

}  // namespace
}  // namespace qbc
