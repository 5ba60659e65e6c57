// "$" lines in the code pass: inline assembler, included source and assembler files, the
// listing switch and register aliases.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <string>

#include "compiler/driver/code_meta_statements.h"
#include "compiler/frontend/interrupt_vectors.h"
#include "compiler/frontend/source_files.h"
#include "compiler/driver/statement_loop.h"
#include "tests/support/compiler_fixture.h"
#include "tests/support/test_dirs.h"
#include "tests/support/unprivileged.h"

namespace qbc {
namespace {

struct MetaFixture : test::CompilerFixture {
  explicit MetaFixture(const std::string& folder = "") {
    st.env.DocumentFolder = folder;
  }
  // Compiles the whole source through the statement loop.
  void Compile(const std::string& text, const std::string& name = "test.bas") {
    LoadSource(text, name);
    CompileStatementBlock(st);
  }
  std::string Out() const { return st.out.Str(); }
};

TEST(MetaAsm, CopiesTheBlockLinesAfterATabAndSkipsTheEndLine) {
  MetaFixture f;
  f.Compile("$asm\n  ldi r16,1\nlabel:\tnop\n\n$End Asm\n$bogus\n");
  EXPECT_EQ(f.Out(), "\t  ldi r16,1\r\n\tlabel:\tnop\r\n\t\r\n");
  // The line after the block is compiled again: the bogus word is reported on line 6.
  EXPECT_EQ(f.report.Text(), " 1. Not a regular MetaStatement! (\"test.bas\" --> Line  6)\r\n");
}

TEST(MetaAsm, CountsEveryBlockLineAndTheClosingLine) {
  MetaFixture f;
  f.LoadSource("$asm\na\nb\nc\n$end asm\n");
  CompileMetaStatement(f.st);
  EXPECT_EQ(f.st.src.SourceLineNumber, 5);  // the $asm line and four more
  EXPECT_EQ(f.st.TokText(), "<EOL>");
}

TEST(MetaAsm, AnyLineHoldingDollarEndClosesTheBlock) {
  MetaFixture f;
  f.Compile("$asm\nldi r16,low($end)\nnop\n$end asm\n");
  // the first line already ended the block: "nop" and "$end asm" are compiled as
  // statements of their own (the Nop statement's line, not the text as written)
  EXPECT_EQ(f.Out(), "\t\tnop\r\n");
  EXPECT_EQ(f.report.Text(), " 1. Not a regular MetaStatement! (\"test.bas\" --> Line  4)\r\n");
}

// A source that ends inside the block is a counted compile error, and the compilation ends
// normally (no run-time failure, no crash reading past the end of the file).
TEST(MetaAsm, SourceEndingInsideTheBlockIsACompileError) {
  MetaFixture f;
  EXPECT_NO_THROW(f.Compile("$asm\nnop\nnop\n"));
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_NE(f.report.Text().find("Missing \"$END ASM\""), std::string::npos) << f.report.Text();
  EXPECT_EQ(f.st.TokText(), "last");
  EXPECT_EQ(f.Out(), "\tnop\r\n\tnop\r\n");
}

TEST(MetaSource, OffStopsTheListingCommentsAndOnRestartsThem) {
  MetaFixture f;
  f.st.cfg.ListSourceInAsm = true;
  f.st.src.DeclarationsEnded = true;
  f.Compile("5\n$source = off\n6\n7\n$source = on\n8\n");
  const std::string out = f.Out();
  EXPECT_NE(out.find(";-Line--0002----$source = off--"), std::string::npos) << out;
  EXPECT_EQ(out.find("----6--"), std::string::npos) << out;
  EXPECT_EQ(out.find("----7--"), std::string::npos) << out;
  EXPECT_EQ(out.find("$source = on"), std::string::npos) << out;
  EXPECT_NE(out.find(";-Line--0006----8--"), std::string::npos) << out;
  EXPECT_TRUE(f.st.cfg.ListSourceInAsm);
}

TEST(MetaSource, OtherValuesAreReported) {
  MetaFixture f;
  f.Compile("$source = maybe\n$source off\n");
  EXPECT_EQ(f.report.Text(),
            " 1. On or Off! (\"test.bas\" --> Line  1)\r\n"
            " 2. Missing \"=\" (\"test.bas\" --> Line  2)\r\n"
            " 3. On or Off! (\"test.bas\" --> Line  2)\r\n");
}

TEST(MetaStatement, UnknownWordAndTheRestOfTheLineIsDropped) {
  MetaFixture f;
  f.Compile("$nothing = 3 : $also\n");
  EXPECT_EQ(f.st.ErrorCount, 1);  // the statement after ":" is not compiled
  EXPECT_EQ(f.report.Text(), " 1. Not a regular MetaStatement! (\"test.bas\" --> Line  1)\r\n");
}

class MetaIncludeTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTempDir("meta_include") + "/"; }
  std::string dir_;
};

TEST_F(MetaIncludeTest, ErrorsNameTheFileBeingReadWithItsOwnLineNumbers) {
  test::WriteFile(dir_ + "inner.bas", "$bogus1\r\n\r\n$bogus2\r\n");
  test::WriteFile(dir_ + "outer.bas", "' outer\n$include \"inner.bas\"\n$bogus3\n");
  MetaFixture f(dir_);
  f.Compile("$bogus4\n$include \"outer.bas\"\n\n$bogus5\n", dir_ + "main.bas");
  EXPECT_EQ(f.report.Text(),
            " 1. Not a regular MetaStatement! (\"" + dir_ + "main.bas\" --> Line  1)\r\n" +
                " 2. Not a regular MetaStatement! (\"" + dir_ + "inner.bas\" --> Line  1)\r\n" +
                " 3. Not a regular MetaStatement! (\"" + dir_ + "inner.bas\" --> Line  3)\r\n" +
                " 4. Not a regular MetaStatement! (\"" + dir_ + "outer.bas\" --> Line  3)\r\n" +
                " 5. Not a regular MetaStatement! (\"" + dir_ + "main.bas\" --> Line  4)\r\n");
  EXPECT_EQ(f.st.src.IncludeLevel, 0);
  EXPECT_EQ(f.st.TokText(), "last");
  for (int n = 1; n < 40; ++n) {
    if (n != f.st.src.SourceFileNumber) {
      EXPECT_FALSE(IsSourceFileOpen(f.st, n)) << n;
    }
  }
}

TEST_F(MetaIncludeTest, NamesAreTakenInTheDocumentFolderNotTheCurrentFolder) {
  std::filesystem::create_directories(dir_ + "sub");
  test::WriteFile(dir_ + "sub/part.bas", "$bogus\n");
  MetaFixture f(dir_);
  f.Compile("$include \"sub\\part.bas\"\n", dir_ + "main.bas");
  EXPECT_EQ(f.report.Text(), " 1. Not a regular MetaStatement! (\"" + dir_ + "sub/part.bas\" --> Line  1)\r\n");
}

TEST_F(MetaIncludeTest, MissingFileIsReportedAtLineZeroAndCompilationGoesOn) {
  MetaFixture f(dir_);
  f.Compile("$include \"none.bas\"\n$bogus\n", dir_ + "main.bas");
  EXPECT_EQ(f.report.Text(),
            " 1. File none.bas not exist! (\"" + dir_ + "none.bas\" --> Line  0)\r\n" +
                " 2. Not a regular MetaStatement! (\"" + dir_ + "main.bas\" --> Line  2)\r\n");
}

// A file that is there but cannot be read is reported at the line that names it, with the
// system's reason, and the compilation goes on (it ended with a bare "File not found").
TEST_F(MetaIncludeTest, AFileThatCannotBeReadIsReportedAtItsLineWithTheReason) {
  chmod(dir_.c_str(), 0777);
  for (const char* name : {"locked.bas", "locked.asm"}) {
    test::WriteFile(dir_ + name, "A = 1\n");
    chmod((dir_ + name).c_str(), 0);
  }
  std::filesystem::create_directory(dir_ + "folder.bas");
  ASSERT_EQ(mkfifo((dir_ + "pipe.bas").c_str(), 0666), 0);
  const std::string reportPath = dir_ + "report.txt";
  // Run without root rights: root reads a file whatever its permissions.
  const int level = test::RunUnprivileged([&] {
    MetaFixture f(dir_);
    f.Compile("$include \"locked.bas\"\n$include \"folder.bas\"\n$include \"pipe.bas\"\n"
              "$includeasm \"locked.asm\"\n$bogus\n",
              dir_ + "main.bas");
    test::WriteFile(reportPath, f.report.Text());
    return f.st.src.IncludeLevel;
  });
  EXPECT_EQ(level, 0);
  const std::string at = " (\"" + dir_ + "main.bas\" --> Line  ";
  EXPECT_EQ(test::ReadFile(reportPath), " 1. File locked.bas cannot be read (Permission denied)!" + at + "1)\r\n" +
                                            " 2. File folder.bas cannot be read (Is a directory)!" + at + "2)\r\n" +
                                            " 3. File pipe.bas cannot be read (not a regular file)!" + at + "3)\r\n" +
                                            " 4. File locked.asm cannot be read (Permission denied)!" + at + "4)\r\n" +
                                            " 5. Not a regular MetaStatement!" + at + "5)\r\n");
}

TEST_F(MetaIncludeTest, AFileIncludingItselfStopsAtTheDeepestLevel) {
  test::WriteFile(dir_ + "self.bas", "$include \"self.bas\"\n");
  MetaFixture f(dir_);
  EXPECT_NO_THROW(f.Compile("$include \"self.bas\"\n", dir_ + "main.bas"));
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_NE(f.report.Text().find("Too many nested include files!"), std::string::npos);
  EXPECT_EQ(f.st.src.IncludeLevel, 0);
  EXPECT_EQ(f.st.TokText(), "last");
}

TEST_F(MetaIncludeTest, IncludeAsmCopiesTheFileUnchanged) {
  test::WriteFile(dir_ + "lib.asm", "; lib\r\n_X:\tret\r\n  .db 1,2\n");
  MetaFixture f(dir_);
  f.Compile("$includeasm \"lib.asm\"\n$includeasm \"gone.asm\"\n", dir_ + "main.bas");
  EXPECT_EQ(f.Out(), "\r\n;-------IncludedAsm: lib.asm\r\n; lib\r\n_X:\tret\r\n  .db 1,2\r\n");
  EXPECT_EQ(f.report.Text(), " 1. File gone.asm not exist! (\"" + dir_ + "main.bas\" --> Line  2)\r\n");
}

TEST(MetaDef, AliasOfARegisterBitAWholeRegisterAndANonRegister) {
  MetaFixture f;
  f.st.sym.IoRegisters[1] = {"portb", 0x18};
  f.st.sym.Constants[1] = {"ledbit", "5", 8};
  f.Compile("$def led = portb.3\n$def port = portb\n$def bad = nothing\n$def led2 = portb.ledbit\n");
  ASSERT_EQ(f.st.sym.DefCount, 4);
  EXPECT_EQ(f.st.sym.Defs[1].Name, "led");
  EXPECT_EQ(f.st.sym.Defs[1].Register, "portb");
  EXPECT_EQ(f.st.sym.Defs[1].Bit, "3");
  EXPECT_EQ(f.st.sym.Defs[2].Register, "portb");
  EXPECT_EQ(f.st.sym.Defs[2].Bit, " ");
  EXPECT_EQ(f.st.sym.Defs[3].Name, "bad");
  EXPECT_EQ(f.st.sym.Defs[3].Register, "");
  EXPECT_EQ(f.st.sym.Defs[4].Bit, "5");
  EXPECT_EQ(f.report.Text(), " 1. This is not AVR register! (\"test.bas\" --> Line  3)\r\n");
}

TEST(InterruptVectors, NameMatchesTheKeyBeforeAddrInAnyCase) {
  test::CompilerFixture f;
  f.st.sym.InterruptVectors[0].Name = "3";
  f.st.sym.InterruptVectors[1].Name = "INT0addr";
  f.st.sym.InterruptVectors[2].Name = "INT1addr";
  f.st.sym.InterruptVectors[3].Name = "ADCCaddr";
  f.st.sym.InterruptVectors[4].Name = "OVF0addr";  // beyond the count
  EXPECT_EQ(FindInterruptVector(f.st, "int0"), 1);
  EXPECT_EQ(FindInterruptVector(f.st, "INT1"), 2);
  EXPECT_EQ(FindInterruptVector(f.st, "adcc"), 3);
  EXPECT_EQ(FindInterruptVector(f.st, "ovf0"), 0);
  EXPECT_EQ(FindInterruptVector(f.st, "int"), 0);
  EXPECT_EQ(FindInterruptVector(f.st, ""), 0);
}

}  // namespace
}  // namespace qbc
