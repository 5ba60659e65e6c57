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
#include "ide/build/build_locks.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/full_disk.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"
#include "tests/support/unprivileged.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nA = 7\r\nEnd\r\n";

using test::RunUnprivileged;

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

namespace qbc {
namespace {

// A program whose .hex is 20,493 bytes (its .asm 48 KB).
std::string BigProgram() {
  std::string code = "$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim A As Long\r\n";
  for (int i = 0; i < 80; ++i) code += "A = A * 3 + " + std::to_string(i) + "\r\n";
  return code + "End\r\n";
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

int FilesNamed(const std::string& dir, const std::string& part) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename().string().find(part) != std::string::npos;
  return n;
}

// The assembler's .hex cut by a full disk (at 0, 4096 or 8192 bytes) is a failed build:
// exit status 1, the error listed, no .hex and no partial file left (it used to be exit 0,
// the size report, and the cut .hex handed on).
TEST(BuildFailures, AnAssemblerOutputCutByAFullDiskIsAFailedBuild) {
  test::BasResult built = test::CompileBas(BigProgram());
  ASSERT_TRUE(built.ok) << built.report;
  for (test::FullDiskKind kind : test::FullDiskKinds()) {
    SCOPED_TRACE(test::KindName(kind));
    test::FullDisk disk(kind);
    const std::string asmPath = disk.Dir() + "/p.asm";
    fs::copy_file(built.asm_path, asmPath);
    for (std::size_t room : {0, 4096, 8192}) {
      SCOPED_TRACE(room);
      test::WriteFile(disk.Dir() + "/p.hex", ":00000001FF\r\n");  // an earlier build's
      test::CommandResult run;
      disk.WhileFull(room, [&] { run = test::RunShell(Quoted(test::BinDir() + "/qbc") + " " + Quoted(asmPath)); });
      EXPECT_EQ(run.status, 1) << run.output;
      EXPECT_NE(run.output.find(" 1.  " + asmPath + ": error: cannot write " + disk.Dir() + "/p."), std::string::npos)
          << run.output;
      EXPECT_EQ(run.output.find("Code size"), std::string::npos) << run.output;
      EXPECT_FALSE(fs::exists(disk.Dir() + "/p.hex"));
      EXPECT_EQ(FilesNamed(disk.Dir(), ".hex"), 0);
      EXPECT_EQ(FilesNamed(disk.Dir(), ".eep."), 0);
    }
    // With room to write, the same build succeeds.
    const test::CommandResult run = test::RunShell(Quoted(test::BinDir() + "/qbc") + " " + Quoted(asmPath));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(test::ReadFile(disk.Dir() + "/p.hex"), test::ReadFile(built.hex_path));
  }
}

// The same through the whole build, with avra's writes cut by a file size limit: the
// environment would have handed the cut file to the programmer.
TEST(BuildFailures, AnAssemblerThatCannotWriteItsHexFailsTheBuild) {
  const std::string dir = test::MakeTempDir("cut hex");
  const std::string avra = dir + "/avra-with-4k";
  test::WriteFile(avra, "#!/bin/sh\ntrap '' XFSZ\nulimit -f 8\nexec avra \"$@\"\n");
  chmod(avra.c_str(), 0755);
  setenv("QBC_AVRA", avra.c_str(), 1);
  test::BasResult r = test::CompileBas(BigProgram());
  unsetenv("QBC_AVRA");
  EXPECT_EQ(r.status, 1) << r.report;
  EXPECT_NE(r.report.find(" 1.  " + r.asm_path + ": error: cannot write " + r.hex_path +
                          ": the file came out incomplete (line 92 is cut short or damaged): is the disk full?"),
            std::string::npos)
      << r.report;
  EXPECT_FALSE(fs::exists(r.hex_path));
}

// The .asm cut by a full disk: the compilation fails with the reason, and never says it
// compiled OK.
TEST(BuildFailures, AnAsmFileCutByAFullDiskIsNoSuccess) {
  for (test::FullDiskKind kind : test::FullDiskKinds()) {
    SCOPED_TRACE(test::KindName(kind));
    test::FullDisk disk(kind);
    const std::string bas = disk.Dir() + "/p.bas";
    test::WriteFile(bas, BigProgram());
    test::CommandResult run;
    disk.WhileFull(4096, [&] { run = test::RunShell(Quoted(test::BinDir() + "/qbc") + " " + Quoted(bas)); });
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_EQ(run.output.find("compiled OK"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Cannot write " + disk.Dir() + "/p.asm: "), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(disk.Dir() + "/p.asm"));
    EXPECT_FALSE(fs::exists(disk.Dir() + "/p.hex"));
  }
}

// An old .hex that cannot be removed (a read-only folder, a folder of that name) stops the
// build before it compiles, and says so: the programmer would load the old program.
TEST(BuildFailures, AnOldHexThatCannotBeRemovedStopsTheBuildFirst) {
  const std::string dir = test::MakeTempDir("old hex");
  const std::string readOnly = dir + "/read only";
  fs::create_directories(readOnly);
  test::WriteFile(readOnly + "/p.hex", ":00000001FF\r\n");
  chmod(readOnly.c_str(), 0555);
  chmod(dir.c_str(), 0777);
  const std::string reportPath = dir + "/report.txt";
  const int errors = RunUnprivileged([&] {
    test::CompilerFixture f;
    ReportSink report;
    BuildOutcome outcome;
    const int n = RunBuildCommand(f.st, {test::BinDir(), readOnly + "/p.bas"}, kProgram, report, &outcome);
    test::WriteFile(reportPath, report.Text());
    return outcome.assembled ? 50 : n;
  });
  chmod(readOnly.c_str(), 0755);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(test::ReadFile(reportPath), " 1. Cannot remove the old " + readOnly + "/p.hex: Permission denied\r\n");

  // A folder in the place of the .hex or the .eep: named, not "the assembler crashed".
  struct Case {
    const char* taken;
    std::string said;
  } cases[] = {
      {"p.hex", " 1. Cannot remove the old " + dir + "/p.hex: Is a directory\n"},
      {"p.eep", ": error: cannot write " + dir + "/p.eep: Is a directory\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.taken);
    fs::create_directory(dir + "/" + c.taken);
    test::WriteFile(dir + "/p.bas", kProgram);
    const test::CommandResult run = test::RunShell(Quoted(test::BinDir() + "/qbc") + " " + Quoted(dir + "/p.bas"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("crashed"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::is_directory(dir + "/" + c.taken));
    EXPECT_FALSE(fs::is_regular_file(dir + "/p.hex"));
    fs::remove(dir + "/" + c.taken);
  }
}

// A source that never ends (a device, a pipe nobody writes to) is refused at once as no
// regular file, with the usage status; it was read for ever, its memory growing.
TEST(BuildFailures, ASourceThatIsNoRegularFileIsRefused) {
  const std::string dir = test::MakeTempDir("endless");
  ASSERT_EQ(mkfifo((dir + "/pipe.bas").c_str(), 0600), 0);
  for (const std::string& source : {std::string("/dev/zero"), dir + "/pipe.bas"}) {
    SCOPED_TRACE(source);
    const test::CommandResult run =
        test::RunShell("timeout 20 " + Quoted(test::BinDir() + "/qbc") + " " + Quoted(source));
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_EQ(run.output, "qbc: cannot read " + source + ": not a regular file\n");
  }
}

}  // namespace
}  // namespace qbc
