// Lines the string generators write where the layout matters more than a run shows:
// address loads by RAM size, the form of Instr told from its own parentheses, float
// terms appended at X with the decimals clamped, and the pushes that keep the
// destination across terms that may change it.
#include <gtest/gtest.h>

#include <string>

#include "compiler/codegen/string_assign.h"
#include "compiler/codegen/string_functions.h"
#include "compiler/codegen/string_pool.h"
#include "compiler/frontend/number_format_cells.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct Fixture : test::CompilerFixture {
  explicit Fixture(int ramEnd = 0x45F) {
    st.dev.RamEnd = ramEnd;
    Var("s", kTypeString, 11);
    Var("t", kTypeString, 6);
    Var("b", kTypeByte, 1);
    Var("f", kTypeFloat, 4);
  }
  void Var(const std::string& name, std::uint8_t type, int size) {
    ++st.sym.GlobalVarCount;
    GlobalVarRecord& v = st.sym.GlobalVars[st.sym.GlobalVarCount];
    v.Name = name;
    v.VarType = type;
    v.Size = static_cast<std::int16_t>(size);
  }
  // Compiles "s = ..." through the string assignment; returns the lines written.
  std::string Assign(const std::string& line) {
    Tokenize(line);
    st.src.TokenIndex = 1;
    st.out.Clear();
    CompileStringAssignment(st, "s", 11, kTypeString);
    return st.out.Str();
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
  }
};

TEST(StringLines, VariableAddressTakesTheHighByteOnlyAbove256BytesOfRam) {
  Fixture small(0xDF);
  EmitLoadVarAddressZ(small.st, "s");
  EXPECT_EQ(small.st.out.Str(), "\t\tldi\t\tzl,byte1(s)\r\n");
  Fixture large;
  EmitLoadVarAddressZ(large.st, "s");
  EXPECT_EQ(large.st.out.Str(), "\t\tldi\t\tzl,byte1(s)\r\n\t\tldi\t\tzh,byte2(s)\r\n");
}

TEST(StringLines, InstrFormComesFromItsOwnArgumentList) {
  struct Case {
    const char* line;
    bool withStart;
  };
  for (const Case& c : {Case{"s = Str(Instr(s, t))", false}, Case{"s = Str(Instr(2, s, t))", true},
                        Case{"s = Str(Instr(Val(Mid(t, 1, 1)), s, t))", true}, Case{"s = Str(1 + Instr(b, s, t))", true}}) {
    SCOPED_TRACE(c.line);
    Fixture f;
    const std::string out = f.Assign(c.line);
    EXPECT_EQ(f.report.Text(), "");
    EXPECT_EQ(Fixture::Count(out, "\t_InSt\r\n"), c.withStart ? 1 : 0) << out;
    EXPECT_EQ(Fixture::Count(out, "\t_InStr\r\n"), c.withStart ? 0 : 1) << out;
  }
}

TEST(StringLines, FloatTermAppendsAtXWithAtMostSixDecimals) {
  for (int decimals : {0, 3, 6, 9}) {
    SCOPED_TRACE(decimals);
    Fixture f;
    f.st.Cells<NumberFormatCells>().FormatDecimals = static_cast<std::uint8_t>(decimals);
    const std::string out = f.Assign("s = \"T=\" + f");
    const std::string want = decimals == 0 || decimals > 6 ? "6" : std::to_string(decimals);
    EXPECT_NE(out.find("\t\tldi\t\tr19,0x0" + want + "\r\n"), std::string::npos) << out;
    EXPECT_EQ(Fixture::Count(out, "xl,byte1(s)"), 1) << "X is loaded once, for the first term\n" << out;
    // The float term keeps X and the limit: pushed before it, popped before its store.
    const auto call = out.find("_Fstr");
    ASSERT_NE(call, std::string::npos);
    EXPECT_LT(out.find("\t\tpush\txl\r\n"), call);
    EXPECT_GT(out.find("\t\tpop\txl\r\n"), call);
    EXPECT_GT(out.rfind("_StStr"), out.find("\t\tpop\txl\r\n"));
  }
}

TEST(StringLines, OnlyTermsThatMayChangeTheDestinationArePushedAround) {
  Fixture f;
  EXPECT_EQ(Fixture::Count(f.Assign("s = \"a\" + t + \"b\" + t + Chr(13)"), "push"), 0);
  EXPECT_EQ(Fixture::Count(f.Assign("s = \"a\" + Chr(b)"), "\t\tpush\txl\r\n"), 1);
  EXPECT_EQ(Fixture::Count(f.Assign("s = \"a\" + Str(b)"), "\t\tpush\txl\r\n"), 1);
  EXPECT_EQ(Fixture::Count(f.Assign("s = Str(b) + \"a\""), "push"), 0) << "X is loaded after the first term";
}

TEST(StringLines, AssignmentOfTheEmptyConstantWritesOneTerminator) {
  Fixture large;
  EXPECT_EQ(large.Assign("s = \"\""),
            "\t\tldi\t\txl,byte1(s)\r\n\t\tldi\t\txh,byte2(s)\r\n\t\tclr\t\tzl\r\n\t\tst\t\tX,zl\r\n");
  Fixture small(0xDF);
  EXPECT_EQ(small.Assign("s = \"\""), "\t\tldi\t\txl,byte1(s)\r\n\t\tclr\t\tzl\r\n\t\tst\t\tX,zl\r\n");
  EXPECT_EQ(small.st.sym.StringConstCount, 0) << "the empty constant needs no pool entry";
}

}  // namespace
}  // namespace qbc
