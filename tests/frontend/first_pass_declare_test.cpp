#include <gtest/gtest.h>

#include "compiler/frontend/dim_parser.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/statements/program/simple_statements.h"
#include "compiler/base/symbols.h"
#include "compiler/driver/first_pass.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct DeclareFixture : test::CompilerFixture {
  DeclareFixture() {
    st.dev.DeviceName = "m8";
    st.dev.RamEnd = 0x45f;
    st.cfg.CrystalFrequency = 8.0f;
    st.cfg.StackSize = "32";
    const char* vectors[] = {"INT0addr", "INT1addr", "OC2addr", "OVF2addr", "ICP1addr"};
    st.sym.InterruptVectors[0].Name = "5";
    for (int i = 0; i < 5; ++i) st.sym.InterruptVectors[i + 1].Name = vectors[i];
  }
  void Scan(const std::string& decls) {
    LoadSource(decls + "x = 1\n");
    ScanDeclarations(st);
  }
  const ProcRecord& Proc(const std::string& name) {
    int i = FindSub(st, name);
    EXPECT_GT(i, 0) << name;
    return st.sym.Procs[i - 1];
  }
  const LocalVarRecord& Local(const std::string& owner, const std::string& name) {
    st.sym.CurrentSubName = owner;
    int i = FindLocalVar(st, name);
    st.sym.CurrentSubName.clear();
    EXPECT_GT(i, 0) << owner << "." << name;
    return st.sym.LocalVars[i - 1];
  }
};

TEST(FirstPassDeclare, SubParametersAndFrame) {
  DeclareFixture f;
  f.Scan("declare sub s(a as byte, b as word, t as string * 10, c as flash long)\n");
  const ProcRecord& s = f.Proc("s");
  EXPECT_EQ(s.ParamCount, 4);
  EXPECT_EQ(s.VarCount, 4);
  EXPECT_EQ(s.FrameSize, 1 + 2 + 2 + 2);
  EXPECT_EQ(f.Local("s", "a").FrameOffset, 1);
  EXPECT_EQ(f.Local("s", "b").FrameOffset, 3);
  EXPECT_EQ(f.Local("s", "t").StrLen, 11);  // a pointer in the frame
  EXPECT_EQ(f.Local("s", "t").FrameOffset, 5);
  EXPECT_EQ(f.Local("s", "c").Storage, 3);
  EXPECT_EQ(f.Local("s", "c").Size, 2);
  EXPECT_EQ(f.Local("s", "c").FrameOffset, 7);
  EXPECT_EQ(f.st.ErrorCount, 0) << f.report.Text();
}

// The call pushes a string argument's 16-bit address and a bit argument as one byte on
// every device; the frame slots count the same bytes, or Y would drift on every call.
TEST(FirstPassDeclare, StringAndBitParameterSlotsMatchWhatTheCallPushes) {
  for (int ramEnd : {0xdf, 0x45f}) {
    DeclareFixture f;
    f.st.dev.RamEnd = ramEnd;
    f.Scan("declare sub s(t as string * 10, b as bit)\n");
    EXPECT_EQ(f.Proc("s").FrameSize, 3) << ramEnd;
    EXPECT_EQ(f.Local("s", "t").FrameOffset, 2) << ramEnd;
    EXPECT_EQ(f.Local("s", "b").FrameOffset, 3) << ramEnd;
  }
}

TEST(FirstPassDeclare, FunctionResultTypes) {
  struct Case {
    const char* result;
    int type;
  } cases[] = {{"byte", 2}, {"integer", 3}, {"word", 4}, {"long", 5}, {"float", 8}, {"string", 0}, {"bit", 0}};
  for (const Case& c : cases) {
    DeclareFixture f;
    f.Scan(std::string("declare function f(x as byte) as ") + c.result + "\n");
    EXPECT_EQ(f.Proc("f").ResultType, c.type) << c.result;
    EXPECT_EQ(f.report.Text().find("Function can not return Bit or String!") != std::string::npos, c.type == 0)
        << c.result;
  }
}

TEST(FirstPassDeclare, InterruptClaimsItsVectorAndKeepsTheHighest) {
  DeclareFixture f;
  f.Scan("declare interrupt ovf2()\ndeclare interrupt int1()\n");
  EXPECT_EQ(f.st.sym.HighestVectorUsed, 4);
  EXPECT_TRUE(f.st.sym.InterruptVectors[4].Used);
  EXPECT_TRUE(f.st.sym.InterruptVectors[2].Used);
  EXPECT_FALSE(f.st.sym.InterruptVectors[1].Used);
  EXPECT_TRUE(f.Proc("int1").Used);
  EXPECT_EQ(f.Proc("int1").FrameSize, 0);
  EXPECT_EQ(f.st.ErrorCount, 0) << f.report.Text();

  DeclareFixture bad;
  bad.Scan("declare interrupt foo()\ndeclare interrupt int0() as byte\n");
  EXPECT_NE(bad.report.Text().find("Unsupported Interrupt type!"), std::string::npos);
  EXPECT_NE(bad.report.Text().find("Interrupt can not return!"), std::string::npos);
  EXPECT_EQ(FindSub(bad.st, "foo"), 0);
  EXPECT_EQ(bad.st.ErrorCount, 2) << bad.report.Text();
}

TEST(FirstPassDeclare, DuplicateLeavesTheFirstDeclarationAlone) {
  DeclareFixture f;
  f.Scan("declare sub s(a as byte)\ndeclare function g(k as word) as long\n"
         "declare sub s(a as long, q as word)\ndeclare sub t(m as byte, m as long, n as word)\n");
  EXPECT_NE(f.report.Text().find("Duplicate sub name s"), std::string::npos);
  EXPECT_NE(f.report.Text().find("Duplicate var name m"), std::string::npos);
  EXPECT_EQ(f.st.ErrorCount, 2) << f.report.Text();
  EXPECT_EQ(f.st.sym.SubCount, 3);
  const ProcRecord& s = f.Proc("s");
  EXPECT_EQ(s.ParamCount, 1);
  EXPECT_EQ(s.FrameSize, 1);
  EXPECT_EQ(f.Local("s", "a").VarType, 2);
  f.st.sym.CurrentSubName = "s";
  EXPECT_EQ(FindLocalVar(f.st, "q"), 0);
  f.st.sym.CurrentSubName.clear();
  const ProcRecord& g = f.Proc("g");  // the declaration before the duplicate is untouched
  EXPECT_EQ(g.ParamCount, 1);
  EXPECT_EQ(g.ResultType, 5);
  const ProcRecord& t = f.Proc("t");
  EXPECT_EQ(t.ParamCount, 2);  // m and n: the second m is read but not entered
  EXPECT_EQ(t.FrameSize, 1 + 2);
  EXPECT_EQ(f.Local("t", "m").VarType, 2);
  EXPECT_EQ(f.Local("t", "n").FrameOffset, 3);
}

TEST(FirstPassDeclare, DeclareStatementInTheCode) {
  DeclareFixture f;
  f.LoadSource("declare sub s(a as byte)\n");
  f.st.src.DeclarationsEnded = true;
  CompileDeclareStatement(f.st);
  EXPECT_GT(FindSub(f.st, "s"), 0);
  EXPECT_EQ(f.st.sym.CurrentSubName, "");  // the main program goes on
  EXPECT_EQ(f.st.TokText(), "<EOL>");

  DeclareFixture irq;
  irq.LoadSource("declare interrupt int0() : x = 1\n");
  CompileDeclareStatement(irq.st);
  EXPECT_NE(irq.report.Text().find("Must be declared before any regular statement!"), std::string::npos);
  EXPECT_EQ(irq.st.TokText(), "<EOL>");
  EXPECT_FALSE(irq.st.sym.InterruptVectors[1].Used);
}

}  // namespace
}  // namespace qbc
