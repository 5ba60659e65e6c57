// What a build leaves beside its document: nothing of an earlier or unfinished build (the
// temporary files of a killed one, the .eep and .map of an earlier one beside a failed
// one), and nothing written through a link in the place of its files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ide/build/build_command.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/full_disk.h"
#include "tests/support/run_command.h"
#include "tests/support/stub_assembler.h"
#include "tests/support/test_dirs.h"

namespace qbc {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = "$device = m8\r\n$clock = 4\r\n$stack = 32\r\nDim A As Byte\r\nA = 7\r\nEnd\r\n";

std::string Include(const char* device) {
  return ".include \"" + test::BinDir() + "/inc/" + device + "def.inc\"\n";
}

struct Build {
  std::string install = test::MakeTempDir("own install");
  std::string dir = test::MakeTempDir("leftovers");
  Build() { test::MakeInstallation(install); }
  // `document`: a name in `dir`, or a full path.
  int Run(const std::string& document, const std::string& text, std::string* reportText = nullptr) {
    test::CompilerFixture f;
    ReportSink report;
    BuildOutcome outcome;
    const std::string path = document.starts_with('/') ? document : dir + "/" + document;
    const int errors = RunBuildCommand(f.st, {install, path}, text, report, &outcome);
    if (reportText) *reportText = report.Text();
    return errors + outcome.assemblerErrors;
  }
};

// A build killed part-way leaves temporary files beside the document (the compiler's .asm,
// the assembler's .hex, .eep and .map) and in the installation folder (tmp.tmp's): the next
// build removes exactly those, nothing of another name.
TEST(BuildLeftovers, ABuildRemovesWhatAKilledOneLeftAndNothingElse) {
  Build b;
  const std::vector<std::string> leftovers{
      b.dir + "/.p.asm.123456.tmp", b.dir + "/.p.asm.7.tmp",     b.dir + "/.p.hex.AbC123",
      b.dir + "/.p.eep.xYz789",     b.dir + "/.p.map.Q1w2E3",    b.dir + "/.p.map.314.tmp",
      b.install + "/.tmp.tmp.42.tmp",
  };
  const std::vector<std::string> kept{
      b.dir + "/.p.asm.tmp",        b.dir + "/.p.asm.1234567.tmp", b.dir + "/.p.asm.12a.tmp",
      b.dir + "/.p.hex.ABCDEFG",    b.dir + "/.p.hex.AB-123",      b.dir + "/.q.hex.ABC123",
      b.dir + "/p.hex.ABC123",      b.dir + "/.p.bas.123456.tmp",  b.dir + "/.p.asm.55.tmp.keep",
      b.dir + "/.P.hex.ABC123",     b.install + "/.tmp.tmp.42.tmp.x",
  };
  for (const auto& path : leftovers) test::WriteFile(path, "left\n");
  for (const auto& path : kept) test::WriteFile(path, "mine\n");
  fs::create_directory(b.dir + "/.p.eep.Folder");
  EXPECT_EQ(b.Run("p.bas", kProgram), 0);
  for (const auto& path : leftovers) EXPECT_FALSE(fs::exists(path)) << path;
  for (const auto& path : kept) EXPECT_EQ(test::ReadFile(path), "mine\n") << path;
  EXPECT_TRUE(fs::is_directory(b.dir + "/.p.eep.Folder"));
}

// A failed build, whether the compiler or the assembler refused the program, leaves no
// .hex, .eep or .map: the .eep and .map of an earlier build stayed beside a document with
// no .hex.
TEST(BuildLeftovers, AFailedBuildLeavesNoFileOfAnEarlierOne) {
  struct Case {
    const char* what;
    const char* document;
    std::string good;
    std::string bad;
  } cases[] = {
      {"a compile error", "p.bas", kProgram, kProgram + "Frobnicate 3\r\n"},
      {"an assembler error", "p.asm", Include("m8") + ".cseg\n  nop\n.eseg\n.db 1\n",
       Include("m8") + ".cseg\n  frob r1\n.eseg\n.db 1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Build b;
    test::WriteFile(b.dir + "/" + c.document, c.good);
    ASSERT_EQ(b.Run(c.document, c.good), 0);
    for (const char* extension : {".hex", ".eep", ".map"}) ASSERT_TRUE(fs::exists(b.dir + "/p" + extension));
    test::WriteFile(b.dir + "/" + c.document, c.bad);
    EXPECT_GT(b.Run(c.document, c.bad), 0);
    for (const char* extension : {".hex", ".eep", ".map"}) EXPECT_FALSE(fs::exists(b.dir + "/p" + extension)) << extension;
  }
}

// Every file of the build treats a link in its place alike: the link is replaced by the
// file (or removed by a failed build) and the file it named is never written. The .asm and
// the .map were written through the link, over the file it named.
TEST(BuildLeftovers, ALinkInThePlaceOfAFileOfTheBuildIsReplacedNotWrittenThrough) {
  Build b;
  const std::string elsewhere = test::MakeTempDir("link targets");
  const char* extensions[] = {".asm", ".hex", ".eep", ".map"};
  auto link = [&] {
    for (const char* extension : extensions) {
      const std::string target = elsewhere + "/target" + extension;
      test::WriteFile(target, "the user's own file\n");
      fs::remove(b.dir + "/p" + extension);
      fs::create_symlink(target, b.dir + "/p" + extension);
    }
  };
  auto targetsKept = [&] {
    for (const char* extension : extensions)
      EXPECT_EQ(test::ReadFile(elsewhere + "/target" + extension), "the user's own file\n") << extension;
  };
  link();
  ASSERT_EQ(b.Run("p.bas", kProgram), 0);
  targetsKept();
  for (const char* extension : extensions) {
    SCOPED_TRACE(extension);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(b.dir + "/p" + extension)));
  }
  EXPECT_NE(test::ReadFile(b.dir + "/p.asm").find("A = 7"), std::string::npos);

  link();
  EXPECT_GT(b.Run("p.bas", kProgram + "Frobnicate 3\r\n"), 0);
  targetsKept();
  for (const char* extension : {".hex", ".eep", ".map"})
    EXPECT_FALSE(fs::exists(fs::symlink_status(b.dir + "/p" + extension))) << extension;
}

// A document that lives where its build writes a file would be replaced or removed by
// that file: the build refuses it and leaves it as it is. That is the installation's
// tmp.tmp too (the build of an assembler document there ended by removing it, and any
// compilation in the installation replaces it), also when a link leads there.
TEST(BuildLeftovers, ADocumentInThePlaceOfAFileOfItsBuildIsRefused) {
  const std::string text = Include("m8") + ".cseg\n  nop\n";
  struct Case {
    const char* what;
    std::function<std::string(const Build&)> document;  // makes it, returns its path
    const char* file;                                   // the build's file in its place
  } cases[] = {
      {"p.hex", [&](const Build& b) { return b.dir + "/p.hex"; }, ".hex"},
      {"p.eep", [&](const Build& b) { return b.dir + "/p.eep"; }, ".eep"},
      {"p.map", [&](const Build& b) { return b.dir + "/p.map"; }, ".map"},
      {"the installation's tmp.tmp", [&](const Build& b) { return b.install + "/tmp.tmp"; }, "tmp.tmp"},
      {"tmp.tmp through a linked folder",
       [&](const Build& b) {
         fs::create_directory_symlink(b.install, b.dir + "/linked");
         return b.dir + "/linked/tmp.tmp";
       },
       "tmp.tmp"},
      {"a link to p.hex",
       [&](const Build& b) {
         test::WriteFile(b.dir + "/p.hex", text);
         fs::create_symlink(b.dir + "/p.hex", b.dir + "/p.inc");
         return b.dir + "/p.inc";
       },
       ".hex"},
      {"a Basic document linked to its .asm",
       [&](const Build& b) {
         test::WriteFile(b.dir + "/p.asm", kProgram);
         fs::create_symlink(b.dir + "/p.asm", b.dir + "/p.bas");
         return b.dir + "/p.bas";
       },
       ".asm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Build b;
    test::WriteFile(b.dir + "/p.asm", text);
    test::WriteFile(b.install + "/tmp.asm", text);
    const std::string document = c.document(b);
    const std::string documentText = document.ends_with(".bas") ? kProgram : text;
    if (!fs::exists(document)) test::WriteFile(document, documentText);
    std::string report;
    EXPECT_EQ(b.Run(document, documentText, &report), 1);
    EXPECT_EQ(report, " 1. Cannot build " + document + ": the build writes its " + c.file + " file in its place\r\n");
    EXPECT_EQ(test::ReadFile(document), documentText);
  }
}

// A build removes tmp.tmp only when it wrote it: an assembler document's build writes no
// source copy and left none of another's (the installation's tmp.tmp was removed whatever
// it was), and a link in its place is replaced, never written through.
TEST(BuildLeftovers, ABuildRemovesOnlyTheSourceCopyItWrote) {
  const std::string text = Include("m8") + ".cseg\n  nop\n";
  Build b;
  test::WriteFile(b.install + "/tmp.tmp", "not this build's\n");
  test::WriteFile(b.dir + "/p.asm", text);
  EXPECT_EQ(b.Run("p.asm", text), 0);
  EXPECT_EQ(test::ReadFile(b.install + "/tmp.tmp"), "not this build's\n");

  fs::remove(b.install + "/tmp.tmp");
  const std::string elsewhere = test::MakeTempDir("copy link") + "/kept";
  test::WriteFile(elsewhere, "the user's own file\n");
  fs::create_symlink(elsewhere, b.install + "/tmp.tmp");
  EXPECT_EQ(b.Run("q.bas", kProgram), 0);
  EXPECT_EQ(test::ReadFile(elsewhere), "the user's own file\n");
  EXPECT_FALSE(fs::exists(fs::symlink_status(b.install + "/tmp.tmp")));
}

// The .map's writes are checked as the .hex's are: a map cut by a full disk fails the build
// (avra wrote it unchecked and the build succeeded with the map cut short).
TEST(BuildLeftovers, AMapCutByAFullDiskFailsTheBuild) {
  for (test::FullDiskKind kind : test::FullDiskKinds()) {
    SCOPED_TRACE(test::KindName(kind));
    test::FullDisk disk(kind);
    const std::string asmPath = disk.Dir() + "/p.asm";
    // The device's names make a map of about 10 KB; the .hex, .eep and avra's object file
    // take a page of the tmpfs each.
    test::WriteFile(asmPath, Include("m8") + ".cseg\n  nop\n");
    const std::size_t room = kind == test::FullDiskKind::kSmallTmpfs ? 4 * 4096 : 8192;
    test::CommandResult run;
    disk.WhileFull(room, [&] { run = test::RunShell("'" + test::BinDir() + "/qbc' '" + asmPath + "'"); });
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(" 1.  " + asmPath + ": error: cannot write " + disk.Dir() + "/p.map: "), std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(disk.Dir() + "/p.hex"));
    EXPECT_FALSE(fs::exists(disk.Dir() + "/p.map"));
  }
}

}  // namespace
}  // namespace qbc
