#include <chrono>
// The build command when something goes wrong: names of the files it makes, files it
// cannot write, programs the chip cannot hold, assemblers that crash. A failed build must
// never look like a success, nor leave an old .hex behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "ide/build/build_command.h"
#include "ide/build/installation_lock.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nA = 7\r\nEnd\r\n";

// Runs `body` in a child process that holds no root rights (as nobody when the tests run
// as root), so that a folder without write permission is one for it. Returns the body's
// result, or -1 when the child did not end normally.
int RunUnprivileged(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    _exit(body());
  }
  int ws = 0;
  waitpid(pid, &ws, 0);
  return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
}

TEST(BuildFailures, EveryFileIsNamedAfterThePathLessItsExtension) {
  struct Case {
    const char* folder;
    const char* document;
    const char* base;
  } cases[] = {
      {"plain", "progbas", "progbas"},       // ends in "bas" but has no extension
      {"capitals", "Prog.BAS", "Prog"},      // case kept
      {"a \"quoted\" folder", "p.bas", "p"}, // quotes in the path reach the assembler whole
      {"dots.in.folder", "x.y.bas", "x.y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.document);
    const std::string dir = test::MakeTempDir("names") + "/" + c.folder;
    fs::create_directories(dir);
    chmod(dir.c_str(), 0755);
    test::WriteFile(dir + "/" + c.document, kProgram);
    // qbc as a user starts it: the document path as one argument.
    test::CommandResult run = test::RunShell("'" + test::BinDir() + "/qbc' '" + dir + "/" + c.document + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string base = dir + "/" + c.base;
    EXPECT_TRUE(fs::exists(base + ".asm")) << run.output;
    EXPECT_TRUE(fs::exists(base + ".hex")) << run.output;
    EXPECT_TRUE(fs::exists(base + ".eep")) << run.output;
  }
}

TEST(BuildFailures, AnInstallationFolderThatCannotBeWrittenIsReportedNotCompiledStale) {
  const std::string install = test::MakeTempDir("ro install");
  const std::string docs = test::MakeTempDir("ro docs");
  fs::create_directory_symlink(test::BinDir() + "/inc", install + "/inc");
  // A stale tmp.tmp of an earlier build that compiles cleanly.
  test::WriteFile(install + "/tmp.tmp", kProgram);
  chmod(install.c_str(), 0555);
  chmod(docs.c_str(), 0777);
  const std::string reportPath = docs + "/report.txt";
  const int errors = RunUnprivileged([&] {
    test::CompilerFixture f;
    ReportSink report;
    BuildOutcome outcome;
    int n = RunBuildCommand(f.st, {install, docs + "/new.bas"}, "this = program + is + new\r\n", report, &outcome);
    test::WriteFile(reportPath, report.Text());
    return outcome.assembled ? 50 : n;
  });
  chmod(install.c_str(), 0755);
  EXPECT_EQ(errors, 1);
  const std::string text = test::ReadFile(reportPath);
  EXPECT_EQ(text.rfind(" 1. Cannot write " + install + "/tmp.tmp: ", 0), 0u) << text;
  EXPECT_EQ(text.find("compiled OK"), std::string::npos) << text;
  EXPECT_FALSE(fs::exists(docs + "/new.asm"));
}

TEST(BuildFailures, AFailedBuildLeavesNoHexOfAnEarlierOne) {
  const std::string dir = test::MakeTempDir("stale hex");
  test::CompilerFixture f;
  ReportSink report;
  BuildOutcome outcome;
  // qbc runs of other tests share this installation folder's tmp.tmp.
  InstallationLock lock;
  std::string holder;
  ASSERT_TRUE(lock.Acquire(test::BinDir(), "test", std::chrono::seconds(120), holder)) << holder;
  RunBuildCommand(f.st, {test::BinDir(), dir + "/p.bas"}, kProgram, report, &outcome);
  ASSERT_TRUE(fs::exists(dir + "/p.hex")) << report.Text();
  const std::string failing[] = {
      kProgram + "Frobnicate 3\r\n",        // a compile error
      "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim B(600) As Long\r\nEnd\r\n",  // no room in SRAM
  };
  for (const std::string& source : failing) {
    SCOPED_TRACE(source);
    test::WriteFile(dir + "/p.hex", ":00000001FF\r\n");
    RunBuildCommand(f.st, {test::BinDir(), dir + "/p.bas"}, source, report, &outcome);
    EXPECT_FALSE(fs::exists(dir + "/p.hex")) << report.Text();
  }
}

// avra refuses a program that does not fit: its reason is listed, and for code the size
// report's warning follows.
TEST(BuildFailures, AProgramTooBigForTheChipShowsTheAssemblersReason) {
  std::string code = "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Long\r\n";
  for (int i = 0; i < 200; ++i) code += "A = A * 3 + 7\r\n";
  struct Case {
    const char* what;
    std::string source;
    const char* reason;
    bool tooBigLine;
  } cases[] = {
      {"flash", code + "End\r\n", "error: Segment start above allowed high address: 0x1000 code", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::BasResult r = test::CompileBas(c.source);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.report.find(" 1.  " + r.asm_path + ": " + c.reason), std::string::npos) << r.report;
    EXPECT_EQ(r.report.find("without a message"), std::string::npos) << r.report;
    EXPECT_EQ(r.report.find("  --->  Ops, generated code ") != std::string::npos, c.tooBigLine) << r.report;
    EXPECT_FALSE(fs::exists(r.hex_path));
  }
}

TEST(BuildFailures, AnAssemblerThatCrashesIsSaidToHaveCrashed) {
  const std::string dir = test::MakeTempDir("crash");
  const std::string crasher = dir + "/crasher";
  test::WriteFile(crasher, "#!/bin/sh\necho 'Pass 1...'\nkill -SEGV $$\n");
  chmod(crasher.c_str(), 0755);

  // avra crashes under AvrAsm32.
  setenv("QBC_AVRA", crasher.c_str(), 1);
  test::BasResult r = test::CompileBas(kProgram);
  unsetenv("QBC_AVRA");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.report.find(" 1.  " + r.asm_path + ": error: the assembler " + crasher + " crashed (signal 11"),
            std::string::npos)
      << r.report;
  EXPECT_EQ(r.report.find("cannot start"), std::string::npos) << r.report;

  // AvrAsm32 itself crashes.
  const std::string install = dir + "/install";
  fs::create_directories(install + "/inc");
  fs::copy_file(crasher, install + "/inc/AvrAsm32");
  test::WriteFile(dir + "/p.asm", "  nop\n");
  test::CompilerFixture f;
  ReportSink report;
  BuildOutcome outcome;
  RunBuildCommand(f.st, {install, dir + "/p.asm"}, "  nop\n", report, &outcome);
  EXPECT_EQ(outcome.assemblerErrors, 1);
  EXPECT_NE(report.Text().find(" 1.  " + install + "/inc/AvrAsm32: error: the assembler crashed (signal 11"),
            std::string::npos)
      << report.Text();
}

// A run-time failure inside the compiler counts as an error, however often the same
// failure comes: its .asm is partial and must not be assembled. A partial file can be one
// the assembler takes without complaint (a failure in the declarations leaves only the
// header comments), so only the failure itself may stop the build.
TEST(BuildFailures, ACompilerFailureIsNeverAssembled) {
  const std::string dir = test::MakeTempDir("failure");
  struct Case {
    const char* what;
    std::string base;  // the document less ".bas"
    std::string source;
    const char* failure;
    int line;  // 0: on the failure channel; else a numbered compile error at this line
  } cases[] = {
      {"the .asm cannot be made", dir + "/gone/p", kProgram, "gone/p.asm", 0},
      {"a failure in the declarations", dir + "/decl",
       "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nConst C = 1 / 0\r\nEnd\r\n", "Division by zero!", 4},
      {"a failure in a statement", dir + "/stmt",
       "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Long\r\nA = &H123456789\r\nEnd\r\n",
       "Overflow (hexadecimal constant of more than 8 digits)!", 5},
  };
  test::CompilerFixture f;
  ReportSink report;
  for (const auto& c : cases) {
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(std::string(c.what) + ", run " + std::to_string(run));
      BuildOutcome outcome;
      // qbc runs of other tests share this installation folder's tmp.tmp.
      InstallationLock lock;
      std::string holder;
      ASSERT_TRUE(lock.Acquire(test::BinDir(), "test", std::chrono::seconds(120), holder)) << holder;
      const int errors = RunBuildCommand(f.st, {test::BinDir(), c.base + ".bas"}, c.source, report, &outcome);
      if (c.line == 0) {
        EXPECT_NE(report.LastFailure().find(c.failure), std::string::npos) << report.LastFailure();
      } else {
        // a failure met while compiling a line names the line, as any compile error does
        EXPECT_EQ(report.LastFailure().find("Overflow"), std::string::npos) << report.LastFailure();
        EXPECT_EQ(report.LastFailure().find("Division"), std::string::npos) << report.LastFailure();
        EXPECT_NE(report.Text().find(std::string(" 1. ") + c.failure + " (\"" + c.base + ".bas\" --> Line  " +
                                     std::to_string(c.line) + ")"),
                  std::string::npos)
            << report.Text();
      }
      EXPECT_EQ(errors, 1);
      EXPECT_FALSE(outcome.assembled);
      EXPECT_EQ(report.Text().find("Assembling"), std::string::npos) << report.Text();
      EXPECT_FALSE(fs::exists(c.base + ".hex"));
    }
  }
}

}  // namespace
}  // namespace qbc
