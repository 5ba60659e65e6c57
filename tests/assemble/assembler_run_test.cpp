#include <chrono>
// The assembler step end to end: AvrAsm32 runs avra, qbc reports like the environment.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "ide/build/assembler_run.h"
#include "ide/build/build_command.h"
#include "ide/build/build_locks.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/run_command.h"
#include "tests/support/sim_runner.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

std::string Include(const char* device) {
  return ".include \"" + test::BinDir() + "/inc/" + device + "def.inc\"\n";
}

// Runs build/bin/qbc on a file; returns its standard output and sets the exit status.
std::string RunQbc(const std::string& path, int& status, const std::string& env = "") {
  test::CommandResult r = test::RunShell(env + " \"" + test::BinDir() + "/qbc\" \"" + path + "\"");
  status = r.status;
  return r.output;
}

// Paths reach the assembler as arguments of their own: blanks and double quotes in them
// stay part of the path.
TEST(CommandLines, PathsWithBlanksAndQuotesStayWhole) {
  std::vector<std::string> expected{"/opt/q b/inc/AvrAsm32", "-w", "-e", "/home/a \"b/prog.eep", "-fI",
                                    "/home/a \"b/prog.asm"};
  EXPECT_EQ(AssemblerArguments("/opt/q b", "/home/a \"b/prog"), expected);
  EXPECT_EQ(AssemblerArguments("/opt/q b/", "/home/a \"b/prog"), expected);
  std::vector<std::string> split{"/opt/q b/AvrAsm32", "-w", "x"};
  EXPECT_EQ(SplitCommandLine("\"/opt/q b/AvrAsm32\"  -w x"), split);
}

TEST(ExecuteAndCapture, CapturesStandardOutputAndErrorTogether) {
  CaptureResult r = ExecuteAndCapture({"/bin/sh", "-c", "echo one; echo two >&2; echo three"});
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.output, "one\ntwo\nthree\n");
  CaptureResult quiet = ExecuteAndCapture({"/bin/true"});
  EXPECT_TRUE(quiet.started);
  EXPECT_EQ(quiet.output, "");
  CaptureResult missing = ExecuteAndCapture({"/no such/program", "-w"});
  EXPECT_FALSE(missing.started);
  CaptureResult crashed = ExecuteAndCapture({"/bin/sh", "-c", "echo partial; kill -SEGV $$"});
  EXPECT_TRUE(crashed.started);
  EXPECT_EQ(crashed.crashSignal, SIGSEGV);
  EXPECT_EQ(crashed.output, "partial\n");
}

TEST(Qbc, AssemblesAnAssemblerDocumentLikeTheEnvironment) {
  std::string dir = test::MakeTempDir("asm doc") + "/with blank";
  std::filesystem::create_directories(dir);
  test::WriteFile(dir + "/prog.asm", Include("m8") +
                                         ".cseg\n.org 0\n  rjmp start\nstart:\n  ldi r16, 1\n  out PORTB, r16\n"
                                         "end: rjmp end\n.eseg\n.db 1, 2\n");
  int status = 0;
  std::string out = RunQbc(dir + "/prog.asm", status);
  EXPECT_EQ(out, "Assembling ....  : DONE\nCode size        : 4 words\n");
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir + "/prog.hex"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/prog.eep"));
  EXPECT_TRUE(std::filesystem::exists(dir + "/prog.map"));

  // The program runs as assembled.
  test::SimRunner sim({.mcu = "atmega8"});
  ASSERT_TRUE(sim.Load(dir + "/prog.hex", dir + "/prog.map")) << sim.Error();
  EXPECT_EQ(sim.Run(), test::SimStop::EndLoop);
  EXPECT_EQ(sim.Sram(0x38), 1);  // PORTB
}

TEST(Qbc, ListsEachAssemblerErrorNumbered) {
  std::string dir = test::MakeTempDir("asm err");
  test::WriteFile(dir + "/bad.asm", Include("m8") + ".cseg\n  nop\n  frob r1\n  nop\n  blah\n");
  int status = 0;
  std::string out = RunQbc(dir + "/bad.asm", status);
  EXPECT_EQ(out, "Assembling ....  : DONE\n 1.  " + dir + "/bad.asm(4): error: Unknown mnemonic/macro: frob\n 2.  " +
                     dir + "/bad.asm(6): error: Unknown mnemonic/macro: blah\n");
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir + "/bad.hex"));

  // The chip's own limits: call on an ATmega8.
  test::WriteFile(dir + "/call.asm", Include("m8") + ".cseg\nx: call x\n");
  out = RunQbc(dir + "/call.asm", status);
  EXPECT_NE(out.find(" 1.  " + dir + "/call.asm(3): error: CALL instruction is not supported on ATmega8"), std::string::npos) << out;
  EXPECT_EQ(status, 1);
}

TEST(Qbc, AMissingAssemblerIsAnErrorNotAnEmptyProgram) {
  std::string dir = test::MakeTempDir("noavra");
  test::WriteFile(dir + "/p.asm", Include("m8") + "  nop\n");
  int status = 0;
  std::string out = RunQbc(dir + "/p.asm", status, "QBC_AVRA=/nonexistent/avra");
  EXPECT_EQ(out.find("words"), std::string::npos) << out;
  EXPECT_NE(out.find(" 1.  " + dir + "/p.asm: error: cannot start the assembler /nonexistent/avra"), std::string::npos)
      << out;
  EXPECT_EQ(status, 1);

  // No AvrAsm32 in the installation folder at all.
  test::CompilerFixture f;
  ReportSink report;
  BuildOutcome outcome;
  RunBuildCommand(f.st, {test::MakeTempDir("noinstall"), dir + "/p.asm"}, test::ReadFile(dir + "/p.asm"), report,
                  &outcome);
  EXPECT_EQ(outcome.assemblerErrors, 1);
  EXPECT_NE(report.Text().find(" 1.  "), std::string::npos);
  EXPECT_NE(report.Text().find("error: cannot start the assembler"), std::string::npos) << report.Text();
  EXPECT_EQ(report.Text().find("words"), std::string::npos);
}

TEST(AvrAsm32, SizeFieldHoldsTheCodeBytesAndWarningsNeverLookLikeErrors) {
  std::string dir = test::MakeTempDir("avrasm");
  test::WriteFile(dir + "/w.asm", Include("m16") +
                                      ".warning \"a: error: b\"\n.cseg\n  nop\n  jmp 0\n.db 1, 2, 3\n");
  CaptureResult r = ExecuteAndCapture(AssemblerArguments(test::BinDir(), dir + "/w"));
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.output.find(": error:"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(": warning: "), std::string::npos) << r.output;
  size_t seg = r.output.find("[.cseg]");
  ASSERT_NE(seg, std::string::npos) << r.output;
  EXPECT_EQ(r.output.substr(seg + 40, 7), "     10");  // nop, jmp (2 words), .db 3 bytes + pad
  for (size_t p = r.output.find('\n'); p != std::string::npos; p = r.output.find('\n', p + 1)) {
    EXPECT_EQ(r.output[p - 1], '\r');
  }
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

TEST(BuildCommand, ABasDocumentWithCompileErrorsIsNotAssembled) {
  for (const char* name : {"prog.bas", "PROG.BAS"}) {
    SCOPED_TRACE(name);
    std::string install = test::MakeTempDir("install");
    std::string dir = test::MakeTempDir("doc");
    test::CompilerFixture f;
    ReportSink report;
    BuildOutcome outcome;
    // No $device line: the compilation ends with a compile error.
    int errors = RunBuildCommand(f.st, {install, dir + "/" + name}, "Dim A As Byte\r\nA = 1\r\n", report, &outcome);
    EXPECT_GT(errors, 0);
    EXPECT_FALSE(outcome.assembled);
    EXPECT_EQ(report.Text().find("Assembling"), std::string::npos) << report.Text();
    EXPECT_FALSE(std::filesystem::exists(install + "/tmp.tmp"));
  }
}

TEST(BuildCommand, AnAssemblerDocumentIsSavedThenAssembledFromItsBaseName) {
  std::string dir = test::MakeTempDir("incdoc");
  // A document of another extension: the assembler gets <base>.asm, whatever it was.
  test::WriteFile(dir + "/prog.asm", Include("m8") + "  nop\n  nop\n");
  test::CompilerFixture f;
  ReportSink report;
  report.SetText("old text");
  BuildOutcome outcome;
  std::string editorText = Include("m8") + "  nop\n";
  // qbc runs of other tests share this installation folder's tmp.tmp.
  InstallationLock lock;
  std::string holder;
  ASSERT_TRUE(lock.Acquire(test::BinDir(), "test", std::chrono::seconds(120), holder)) << holder;
  RunBuildCommand(f.st, {test::BinDir(), dir + "/prog.inc"}, editorText, report, &outcome);
  EXPECT_TRUE(outcome.assembled);
  EXPECT_EQ(test::ReadFile(dir + "/prog.inc"), editorText);  // saved
  EXPECT_EQ(report.Text(), "Assembling ....  : DONE\r\nCode size        : 2 words");
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// A compiled program: the compiler's success line, then the assembler's, and the sizes of
// the device from its file.
TEST(BuildCommand, ACompiledProgramIsAssembledAndItsSizeReported) {
  test::BasResult r = test::CompileBas("$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nEnd\r\n");
  ASSERT_TRUE(r.ok) << r.report;
  std::regex expected(
      "Quorvil Compiler : \\d+ lines compiled OK\n"
      "Assembling \\.\\.\\.\\.  : DONE\n"
      "Code size        : \\d+ words, \\d+(\\.\\d)?% FLASH free, aprox \\d+ SRAM bytes free\n");
  EXPECT_TRUE(std::regex_match(r.report, expected)) << r.report;
  EXPECT_TRUE(std::filesystem::exists(r.map_path));
  EXPECT_NE(test::ReadFile(r.asm_path).find(".include\t\"" + test::BinDir() + "/inc/m8def.inc\""), std::string::npos);
}

}  // namespace
}  // namespace qbc
