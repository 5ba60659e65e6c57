#include "compiler/base/flags/core_flags.h"
#include "compiler/driver/driver.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <vector>

#include "compiler/frontend/source_files.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/peripherals/dtmf_cells.h"
#include "compiler/statements/peripherals/i2c_cells.h"
#include "compiler/statements/peripherals/keypad_cells.h"
#include "compiler/statements/peripherals/lcd_cells.h"
#include "compiler/version.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

// One compilation as the environment runs it: the text saved to tmp.tmp in the
// installation folder, then the driver with the document path.
struct Compilation {
  std::unique_ptr<CompilerState> st = std::make_unique<CompilerState>();
  ReportSink report;
  std::string installDir = test::MakeTempDir("install");
  std::string docDir = test::MakeTempDir("doc");

  void Run(const std::string& source, const std::string& docName = "prog.bas") {
    test::WriteFile(installDir + "/tmp.tmp", source);
    st->report = &report;
    report.SetText("Running Compiler ... ");
    CompileProgram(*st, docDir + "/" + docName, installDir);
  }
  std::string Doc(const std::string& name) const { return docDir + "/" + name; }
};

TEST(CompileProgram, EmptyOrOneByteSourceHasNothingToCompile) {
  for (const std::string source : {"", "x", "\n"}) {
    Compilation c;
    c.Run(source);
    EXPECT_EQ(c.report.Text(), " 1. Nothing to compile! (\"" + c.Doc("prog.bas") + "\" --> Line  0)\r\n");
    EXPECT_EQ(c.st->ErrorCount, 1);
    EXPECT_FALSE(fs::exists(c.Doc("prog.asm")));
    EXPECT_FALSE(IsSourceFileOpen(*c.st, c.st->src.SourceFileNumber));
  }
}

TEST(CompileProgram, AsmGoesBesideTheDocumentUnderItsOwnCaseAndTheHeaderComesFirst) {
  Compilation c;
  c.Run("a = 1\r\n", "My Prog.BAS");
  ASSERT_TRUE(fs::exists(c.Doc("My Prog.asm")));
  const std::string text = test::ReadFile(c.Doc("My Prog.asm"));
  const std::regex header(
      ";Quorvil Basic Compiler for AVR " QBC_VERSION_TEXT
      "\r\n;Created [0-9]{2}:[0-9]{2}:[0-9]{2}, [0-3][0-9]-[01][0-9]-20[0-9]{2}\r\n;\r\n.*",
      std::regex::extended);
  EXPECT_TRUE(std::regex_match(text, header)) << text;
  // The error lines name the document as it was given, capitals kept.
  EXPECT_NE(c.report.Text().find("(\"" + c.Doc("My Prog.BAS") + "\" --> Line "), std::string::npos)
      << c.report.Text();
}

TEST(CompileProgram, TwoCompilationsOfOneSourceDifferOnlyInTheCreatedLine) {
  const std::string source = "$regfile = \"m8def.dat\"\r\n$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim A As Byte\r\nA = 1\r\nEnd\r\n";
  Compilation c;
  c.Run(source);
  std::string first = test::ReadFile(c.Doc("prog.asm"));
  const std::string firstReport = c.report.Text();
  c.Run(source);
  std::string second = test::ReadFile(c.Doc("prog.asm"));
  auto dropLine2 = [](std::string t) {
    std::size_t a = t.find("\r\n");
    std::size_t b = t.find("\r\n", a + 2);
    return t.erase(a, b - a);
  };
  EXPECT_EQ(dropLine2(first), dropLine2(second));
  EXPECT_EQ(firstReport, c.report.Text());
}

// The environment keeps one state for every compile command. A compilation that ended in a
// failure, wherever it stopped, must leave nothing that changes the next one: program B
// compiled after a failed program gives what B gives in a fresh state.
TEST(CompileProgram, AFailedCompilationLeavesNothingForTheNext) {
  const std::string head = "$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim A As Byte\r\nDim B As Word\r\n";
  const std::string programB = head + "A = 1\r\nIf A = 1 Then B = 2\r\nFor A = 1 To 3\r\nB = B + A\r\nNext\r\nEnd\r\n";
  const char* const failing[] = {
      // a run-time failure inside a one-line If (a constant beyond 32 bits)
      "If A = 1 Then B = &h123456789\r\nEnd\r\n",
      // inside a loop and a one-line If nested in it
      "Do\r\nWhile A < 3\r\nIf A = 1 Then B = &h123456789\r\nWend\r\nLoop\r\nEnd\r\n",
      // inside a Sub
      "Declare Sub S\r\nSub S\r\nIf A = 1 Then B = &h123456789\r\nEnd Sub\r\nEnd\r\n",
  };
  // Both installation folders see the build's device files.
  auto withDevices = [](Compilation& c) { fs::create_directory_symlink(test::BinDir() + "/inc", c.installDir + "/inc"); };
  Compilation fresh;
  withDevices(fresh);
  fresh.Run(programB);
  ASSERT_EQ(fresh.st->ErrorCount, 0) << fresh.report.Text();
  const std::string expected = test::ReadFile(fresh.Doc("prog.asm"));
  // Apart from the time and the installation folder in front of the device include.
  auto comparable = [](std::string t, const std::string& installDir) {
    const std::size_t a = t.find(";Created");
    if (a != std::string::npos) t.erase(a, t.find("\r\n", a) - a);
    const std::size_t b = t.find(installDir);
    return b == std::string::npos ? t : t.erase(b, installDir.size());
  };
  for (const char* body : failing) {
    Compilation c;
    withDevices(c);
    c.Run(head + body);
    ASSERT_NE(c.report.Text().find("Overflow (hexadecimal constant"), std::string::npos) << body << "\n" << c.report.Text();
    c.Run(programB);
    EXPECT_EQ(c.st->ErrorCount, 0) << body << "\n" << c.report.Text();
    EXPECT_EQ(comparable(test::ReadFile(c.Doc("prog.asm")), c.installDir), comparable(expected, fresh.installDir))
        << body;
    EXPECT_EQ(c.report.Text(), fresh.report.Text()) << body;
  }
}

TEST(CompileProgram, NothingOfOneCompilationLeaksIntoTheNext) {
  Compilation c;
  c.Run("a = 1\r\nb = 2\r\n");
  // Leave traces of a compilation in every area the reset owns.
  CompilerState& st = *c.st;
  st.used.Set(NeedLcase);
  st.used.Set(NeedUcase);
  st.used.Set(NeedSqr16);
  st.used.Set(NeedSqr32);
  st.used.Set(NeedFnd8);
  st.used.Set(NeedFnd8Alt);
  st.cfg.CrystalFrequency = 8;
  st.Cells<DtmfCells>().DtmfUsed = true;
  st.Cells<UartCells>().BaudRateSet[2] = true;
  st.Cells<KeypadCells>().KeyRowsPort = "PORTB";
  st.Cells<LcdCells>().LcdConfigured = true;
  st.Cells<I2cCells>().I2cInterface = 1;
  st.Cells<I2cCells>().I2cSdaPort = "PORTC";
  st.Cells<I2cCells>().I2cSclPin = "0";
  st.cfg.InitCodeLines[3] = "\t\tldi\tr24,1";
  st.sym.GlobalVars[1].Name = "a";
  st.sym.GlobalVarCount = 1;
  st.sym.LabelCounter = 77;
  st.dev.FlashEnd = 8192;
  st.dev.DeviceName = "m8";
  st.src.DeclarationsEnded = true;
  st.src.IncludeLevel = 3;
  st.nest.DoNestingDepth = 2;
  st.expr.RandomizeDone = true;
  OpenSourceText(st, "left open", "x\n");

  c.Run("x\r\ny = 3\r\n");
  EXPECT_FALSE(st.used.Any());
  EXPECT_EQ(st.cfg.CrystalFrequency, 0.0f);
  EXPECT_FALSE(st.Cells<DtmfCells>().DtmfUsed);
  EXPECT_FALSE(st.Cells<UartCells>().BaudRateSet[2]);
  EXPECT_EQ(st.Cells<KeypadCells>().KeyRowsPort, "     ");
  EXPECT_EQ(st.Cells<KeypadCells>().KeyColsPort, "     ");
  EXPECT_FALSE(st.Cells<LcdCells>().LcdConfigured);
  EXPECT_EQ(st.Cells<I2cCells>().I2cInterface, 0);
  EXPECT_EQ(st.Cells<I2cCells>().I2cSdaPort, "");
  EXPECT_EQ(st.Cells<I2cCells>().I2cSclPin, "");
  EXPECT_EQ(st.cfg.InitCodeLines[3], "");
  EXPECT_EQ(st.sym.GlobalVars[1].Name, "");
  EXPECT_EQ(st.sym.GlobalVarCount, 0);
  EXPECT_EQ(st.sym.LabelCounter, 0);
  EXPECT_EQ(st.dev.DeviceName, "");
  EXPECT_EQ(st.src.IncludeLevel, 0);
  EXPECT_EQ(st.nest.DoNestingDepth, 0);
  EXPECT_FALSE(st.expr.RandomizeDone);
  for (int n = 1; n < 40; ++n) EXPECT_FALSE(IsSourceFileOpen(st, n)) << n;
  // The report starts afresh: its first line is numbered 1.
  EXPECT_EQ(c.report.Text().rfind(" 1. ", 0), 0u) << c.report.Text();
}

TEST(CompileProgram, RunTimeFailuresGoToTheFailureChannel) {
  Compilation c;
  c.st->report = &c.report;
  CompileProgram(*c.st, c.Doc("prog.bas"), c.installDir + "/missing");  // no tmp.tmp there
  EXPECT_NE(c.report.LastFailure().find("File not found"), std::string::npos) << c.report.LastFailure();
  EXPECT_FALSE(fs::exists(c.Doc("prog.asm")));
  EXPECT_EQ(c.st->ErrorCount, 1);  // counted: nobody may take the compilation for a success

  Compilation d;
  test::WriteFile(d.installDir + "/tmp.tmp", "a = 1\n");
  d.st->report = &d.report;
  CompileProgram(*d.st, d.docDir + "/no such folder/prog.bas", d.installDir);
  EXPECT_NE(d.report.LastFailure().find("prog.asm"), std::string::npos) << d.report.LastFailure();
  EXPECT_EQ(d.st->ErrorCount, 1);
}

// A full disk: an .asm that cannot be written whole is a failure, not a program.
TEST(CompileProgram, AnAsmThatCannotBeWrittenWholeIsAFailure) {
  Compilation c;
  fs::create_directory_symlink(test::BinDir() + "/inc", c.installDir + "/inc");
  test::WriteFile(c.installDir + "/tmp.tmp", "$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim A As Byte\r\nA = 1\r\nEnd\r\n");
  pid_t pid = fork();
  if (pid == 0) {
    // Files of this process may not grow beyond 256 bytes: the write fails as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{256, 256};
    setrlimit(RLIMIT_FSIZE, &limit);
    c.st->report = &c.report;
    CompileProgram(*c.st, c.Doc("prog.bas"), c.installDir);
    const bool failed = c.report.LastFailure().find("Cannot write " + c.Doc("prog.asm")) != std::string::npos;
    // never reported as a success
    const bool ok = c.report.Text().find("compiled OK") != std::string::npos;
    _exit(failed && !ok && c.st->ErrorCount == 1 ? 0 : 1);
  }
  int ws = 0;
  waitpid(pid, &ws, 0);
  ASSERT_TRUE(WIFEXITED(ws));
  EXPECT_EQ(WEXITSTATUS(ws), 0);
}

// The command line: qbc FILE.bas prints the report box text; exit 1 after a compile error.
TEST(QbcCommand, EmptyFilePrintsNothingToCompileAndWritesNoAsm) {
  const std::string dir = test::MakeTempDir("qbc");
  for (const std::string source : {"", "x"}) {
    const std::string doc = dir + "/Empty.bas";
    test::WriteFile(doc, source);
    const std::string out = dir + "/out.txt";
    int status = std::system(("'" + test::BinDir() + "/qbc' '" + doc + "' > '" + out + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(test::ReadFile(out), " 1. Nothing to compile! (\"" + doc + "\" --> Line  0)\n");
    EXPECT_FALSE(fs::exists(dir + "/Empty.asm"));
  }
}

// tmp.tmp is shared by every qbc of one installation: commands started together must
// each compile their own document.
TEST(QbcCommand, CommandsStartedTogetherEachCompileTheirOwnDocument) {
  const std::string dir = test::MakeTempDir("qbcpar");
  std::string script;
  for (int i = 0; i < 8; ++i) {
    const std::string doc = dir + "/p" + std::to_string(i) + ".bas";
    test::WriteFile(doc, i % 2 ? "" : "a = 1\r\nb = 2\r\n");
    script += "'" + test::BinDir() + "/qbc' '" + doc + "' > '" + doc + ".out' 2> '" + doc + ".err' & ";
  }
  script += "wait";
  ASSERT_EQ(std::system(("bash -c \"" + script + "\"").c_str()), 0);
  for (int i = 0; i < 8; ++i) {
    const std::string doc = dir + "/p" + std::to_string(i) + ".bas";
    const std::string out = test::ReadFile(doc + ".out");
    EXPECT_EQ(test::ReadFile(doc + ".err"), "") << doc;
    EXPECT_EQ(out.find("Nothing to compile!") != std::string::npos, i % 2 == 1) << doc << ": " << out;
  }
}

TEST(QbcCommand, UsageAndFileErrorsExitWith2) {
  const std::string qbc = "'" + test::BinDir() + "/qbc'";
  const std::string folder = test::MakeTempDir("qbcdir");
  for (const std::string& args : std::vector<std::string>{"", " /nonexistent/prog.bas", " ''", " '" + folder + "'", " a.bas b.bas"}) {
    SCOPED_TRACE(args);
    int status = std::system((qbc + args + " 2>/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
  }
}

}  // namespace
}  // namespace qbc
