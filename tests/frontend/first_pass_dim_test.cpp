#include <gtest/gtest.h>

#include "compiler/frontend/dim_parser.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/statements/program/simple_statements.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"
#include "tests/support/basic_program.h"
#include "compiler/driver/first_pass.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

// Runs the first pass over declarations followed by one statement ("x = 1"), with the
// three settings given by default so only the declarations are looked at.
void ScanSource(test::CompilerFixture& f, const std::string& decls) {
  f.LoadSource(decls + "x = 1\n");
  f.st.dev.DeviceName = "m8";
  f.st.cfg.CrystalFrequency = 8.0f;
  f.st.cfg.StackSize = "32";
  ScanDeclarations(f.st);
}

const GlobalVarRecord& Var(test::CompilerFixture& f, const std::string& name) {
  int i = FindGlobalVar(f.st, name);
  EXPECT_GT(i, 0) << name;
  return f.st.sym.GlobalVars[i];
}

TEST(FirstPassDim, SizesAndAddressesByType) {
  struct Case {
    const char* decl;
    int type, size, elementSize, indexType, storage;
    long address;
    int userBytes;
  } cases[] = {
      {"dim v as byte", 2, 1, 1, 0, 0, 0, 1},
      {"dim v as integer", 3, 2, 2, 0, 0, 0, 2},
      {"dim v as word", 4, 2, 2, 0, 0, 0, 2},
      {"dim v as long", 5, 4, 4, 0, 0, 0, 4},
      {"dim v as float", 8, 4, 4, 0, 0, 0, 4},
      {"dim v(10) as byte", 2, 10, 1, 2, 0, 0, 10},
      {"dim v(300) as word", 4, 600, 2, 4, 0, 0, 600},
      {"dim v as string * 20", 6, 21, 21, 0, 0, 0, 21},
      {"dim v as string * 254", 6, 255, 255, 0, 0, 0, 255},
      {"dim v(3) as string * 9", 6, 30, 10, 2, 0, 0, 30},
      {"dim v as flash byte", 2, 1, 1, 0, 3, 0, 0},
      {"dim v as flash string", 7, 0, 0, 0, 3, 0, 0},
      {"dim v as xram word", 4, 2, 2, 0, 1, 0, 2},
      {"dim v as byte at &h100", 2, 1, 1, 0, 0, 256, 1},
      {"dim v as word at &hff00", 4, 2, 2, 0, 0, 65280, 2},
      {"dim v as xram long at 4352", 5, 4, 4, 0, 1, 4352, 4},
      {"dim v as string * 4 at &h8000", 6, 5, 5, 0, 0, 32768, 5},
      {"dim v as bit", 1, 0, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    ScanSource(f, std::string(c.decl) + "\n");
    const GlobalVarRecord& v = Var(f, "v");
    EXPECT_EQ(v.VarType, c.type) << c.decl;
    EXPECT_EQ(v.Size, c.size) << c.decl;
    EXPECT_EQ(v.ElementSize, c.elementSize) << c.decl;
    EXPECT_EQ(v.IndexType, c.indexType) << c.decl;
    EXPECT_EQ(v.Storage, c.storage) << c.decl;
    EXPECT_EQ(v.Address, c.address) << c.decl;
    EXPECT_EQ(f.st.sym.UserVarBytes, c.userBytes) << c.decl;
    EXPECT_EQ(f.st.ErrorCount, 0) << c.decl << f.report.Text();
    EXPECT_TRUE(f.st.src.DeclarationsEnded);
  }
}

TEST(FirstPassDim, ListsFlagsAndBitNumbers) {
  test::CompilerFixture f;
  ScanSource(f, "dim a as byte, b as word\ndim f as float : dim x1 as xram byte\ndim p as bit, q as bit\n");
  EXPECT_EQ(f.st.sym.GlobalVarCount, 6);
  EXPECT_EQ(Var(f, "b").VarType, 4);
  EXPECT_TRUE(f.st.sym.FloatVarDeclared);
  EXPECT_TRUE(f.st.cfg.XramEnabled);
  EXPECT_EQ(Var(f, "p").Size, 0);  // bit numbers in declaration order
  EXPECT_EQ(Var(f, "q").Size, 1);
  EXPECT_EQ(Var(f, "q").ElementSize, 1);
  EXPECT_EQ(f.st.sym.UserVarBytes, 1 + 2 + 4 + 1);
  EXPECT_EQ(f.st.ErrorCount, 0) << f.report.Text();
}

TEST(FirstPassDim, ReportsTheLimitsAndKeepsParsing) {
  struct Case {
    const char* decls;
    const char* message;
  } cases[] = {
      {"dim v as string * 255\n", "Oops, 255 ia Max String Lenght!"},
      {"dim v(4) as bit\n", "Array can not be Bit type!"},
      {"dim v as blob\n", "Unsuported var type blob"},
      {"dim 5v as byte\n", "5v is ilegal name for Variable!"},
      {"dim v as string * n\n", "Must be numeric constant"},
      {"dim a, b as byte\n", "Missing \"AS\""},
  };
  for (const Case& c : cases) {
    test::CompilerFixture f;
    ScanSource(f, c.decls);
    EXPECT_NE(f.report.Text().find(c.message), std::string::npos) << c.decls << f.report.Text();
    EXPECT_EQ(f.st.TokText(), "x_") << c.decls;  // the pass stops on the statement
  }
}

// A variable's label must not be a name the assembler already knows: a CPU register
// (stores to it would reach the register) or a register or bit of the device file (the
// program would not assemble). Names that only look alike stay variables.
TEST(FirstPassDim, AssemblerNamesAreNoVariables) {
  const char* head = "$device = m8\n$clock = 8\n$stack = 32\n";
  for (const char* name : {"pe", "pb2", "portb", "r1", "r3", "r31", "zl", "xh"}) {
    const test::CompiledBasic r = test::CompileBasic(std::string(head) + "Dim " + name + " As Byte\n" + name +
                                                     " = 5\nEnd\n");
    EXPECT_NE(r.report.find(std::string(name) + " is ilegal name for Variable!"), std::string::npos)
        << name << "\n" << r.report;
  }
  const test::CompiledBasic ok =
      test::CompileBasic(std::string(head) + "Dim r32 As Byte, rx As Byte, pb As Byte, r01 As Byte\nr32 = 5\nEnd\n");
  EXPECT_EQ(ok.error_count, 0) << ok.report;
}

TEST(FirstPassDim, SixteenBitVariablesAtMost) {
  std::string decls;
  for (int i = 0; i < 16; ++i) decls += "dim b" + std::to_string(i) + " as bit\n";
  test::CompilerFixture ok;
  ScanSource(ok, decls);
  EXPECT_EQ(ok.st.ErrorCount, 0);
  EXPECT_EQ(Var(ok, "b15").Size, 15);
  test::CompilerFixture over;
  ScanSource(over, decls + "dim b16 as bit, c as byte\n");
  EXPECT_NE(over.report.Text().find("Just 16 Bit vars!"), std::string::npos);
  EXPECT_GT(FindGlobalVar(over.st, "c"), 0);  // the next item is still declared
}

TEST(FirstPassDim, DuplicateLeavesTheFirstDeclarationAlone) {
  test::CompilerFixture f;
  ScanSource(f, "dim a as byte at &h100\ndim p as bit\ndim a(20) as long at &h200, p as bit, w as word\n");
  EXPECT_NE(f.report.Text().find("Duplicate var name a"), std::string::npos);
  EXPECT_NE(f.report.Text().find("Duplicate var name p"), std::string::npos);
  const GlobalVarRecord& a = Var(f, "a");
  EXPECT_EQ(a.VarType, 2);
  EXPECT_EQ(a.Size, 1);
  EXPECT_EQ(a.IndexType, 0);
  EXPECT_EQ(a.Address, 256);
  EXPECT_EQ(f.st.sym.BitVarCount, 1);     // the duplicate bit takes no bit number
  EXPECT_EQ(f.st.sym.UserVarBytes, 1 + 2);  // a and w only
  EXPECT_EQ(Var(f, "w").VarType, 4);
  EXPECT_EQ(f.st.sym.GlobalVars[FindGlobalVar(f.st, "p")].Size, 0);
}

TEST(FirstPassDim, DimInTheCodeWritesItsOwnDataBlock) {
  test::CompilerFixture f;
  f.LoadSource("dim w as word, b as bit, s as string * 3\n");
  f.st.src.DeclarationsEnded = true;
  CompileDimStatement(f.st);
  EXPECT_EQ(f.st.out.Str(), "\r\n\t\t.DSEG\r\nw:\t\t.byte\t2\r\n\t\t.CSEG\r\n"
                            "\r\n\t\t.DSEG\r\ns:\t\t.byte\t4\r\n\t\t.CSEG\r\n");
  EXPECT_EQ(f.st.TokText(), "<EOL>");
}

TEST(FirstPass, MissingSettingsAreReportedInOrderWithoutMovingTheStart) {
  test::CompilerFixture f;
  f.LoadSource("dim a as byte\nprint a\n");
  ScanDeclarations(f.st);
  const std::string& r = f.report.Text();
  const auto d = r.find("No Device specified!"), c = r.find("No Clock specified!"), s = r.find("No Stack specified!");
  ASSERT_NE(d, std::string::npos);
  ASSERT_NE(c, std::string::npos);
  ASSERT_NE(s, std::string::npos);
  EXPECT_LT(d, c);
  EXPECT_LT(c, s);
  EXPECT_EQ(f.st.src.TokenIndex, 0);
  EXPECT_EQ(f.st.TokText(), "print");
  EXPECT_TRUE(f.st.src.DeclarationsEnded);
}

TEST(FirstPass, AsmOrIncludeEndsThePassWithoutChecks) {
  for (const char* line : {"$asm\n", "$include \"x.bas\"\n"}) {
    test::CompilerFixture f;
    f.LoadSource(std::string("dim a as byte\n") + line);
    ScanDeclarations(f.st);
    EXPECT_EQ(f.st.ErrorCount, 0) << line;
    EXPECT_EQ(f.st.TokText(), "$");
    EXPECT_TRUE(f.st.src.DeclarationsEnded);
  }
}

TEST(FirstPass, SettingsAndDeclarationsReachTheState) {
  test::CompilerFixture f;
  f.LoadSource(
      "$clock = 7,3728\nconst st = 40\n$stack = st\n$source = off\n$angles = deegrees\n"
      "declare sub s(a as byte)\nx = 1\n");
  ScanDeclarations(f.st);
  EXPECT_FLOAT_EQ(f.st.cfg.CrystalFrequency, 7.3728f);
  EXPECT_EQ(f.st.cfg.StackSize, "40");
  EXPECT_FALSE(f.st.cfg.ListSourceInAsm);
  EXPECT_TRUE(f.st.cfg.AnglesDegrees);
  EXPECT_EQ(f.st.sym.SubCount, 1);
  EXPECT_EQ(f.st.sym.CurrentSubName, "");  // the main program follows
  EXPECT_EQ(f.report.Text().find("Clock"), std::string::npos);
  EXPECT_EQ(f.report.Text().find("Stack"), std::string::npos);
}

TEST(FirstPass, DeclareOfAnotherKindDropsItsLine) {
  test::CompilerFixture f;
  f.LoadSource("declare foo bar(1)\ndim a as byte\nx = 1\n");
  f.st.dev.DeviceName = "m8";
  f.st.cfg.CrystalFrequency = 1.0f;
  f.st.cfg.StackSize = "8";
  ScanDeclarations(f.st);
  EXPECT_NE(f.report.Text().find("Sub, Function or Interrupt!"), std::string::npos);
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_GT(FindGlobalVar(f.st, "a"), 0);
}

}  // namespace
}  // namespace qbc
