// Exit and End, and the Dim/Declare statements of the code pass.
#include <gtest/gtest.h>

#include "compiler/statements/program/simple_statements.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

struct Blocks : test::CompilerFixture {
  Blocks() {
    st.nest.DoNestingDepth = 2;
    st.exits.DoExitLabels[1] = "L0001";
    st.exits.DoExitLabels[2] = "L0002";
    st.nest.WhileNestingDepth = 1;
    st.exits.WhileExitLabels[1] = "L0010";
    st.nest.SubNestingDepth = 1;
    st.exits.SubExitLabels[1] = "L0020";
    st.nest.FunctionNestingDepth = 1;
    st.exits.FunctionExitLabels[1] = "L0030";
    st.nest.ForNestingDepth = 3;
    st.exits.ForExitLabels[1] = "L0040";
    st.exits.ForExitLabels[2] = "L0041";
    st.exits.ForExitLabels[3] = "L0042";
    st.exits.ForPushedRegs[1] = 2;
    st.exits.ForPushedRegs[2] = 0;
    st.exits.ForPushedRegs[3] = 1;
    // The Do and While loops were opened inside the three For loops.
    st.exits.DoForDepth[1] = 3;
    st.exits.DoForDepth[2] = 3;
    st.exits.WhileForDepth[1] = 3;
  }
  std::string Exit(const std::string& line) {
    LoadSource(line + "\n");
    st.out.Clear();
    CompileExitStatement(st);
    return st.out.Str();
  }
};

TEST(FirstPassStatements, ExitJumpsToTheInnermostBlockOfItsKind) {
  Blocks b;
  EXPECT_EQ(b.Exit("exit do"), "\t\trjmp\tL0002\r\n");
  EXPECT_EQ(b.st.TokText(), "<EOL>");
  EXPECT_EQ(b.Exit("exit while : x = 1"), "\t\trjmp\tL0010\r\n");
  EXPECT_EQ(b.st.TokText(), ":");
  // A Sub or Function left from inside its For loops takes off what they saved.
  const std::string pops = "\t\tpop\t\tr5\r\n\t\tpop\t\tr6\r\n\t\tpop\t\tr5\r\n";
  EXPECT_EQ(b.Exit("exit sub"), pops + "\t\trjmp\tL0020\r\n");
  EXPECT_EQ(b.Exit("exit function"), pops + "\t\trjmp\tL0030\r\n");
}

TEST(FirstPassStatements, ExitForTakesOffWhatItsLoopSaved) {
  Blocks b;
  // A byte loop saved r5; it goes back to r5 (the enclosing loop's end value).
  EXPECT_EQ(b.Exit("exit for"), "\t\tpop\t\tr5\r\n\t\trjmp\tL0042\r\n");
  b.st.nest.ForNestingDepth = 2;  // a loop whose end is the maximum saved nothing
  EXPECT_EQ(b.Exit("exit for"), "\t\trjmp\tL0041\r\n");
  b.st.nest.ForNestingDepth = 1;  // a 16-bit loop saved r5, then r6
  EXPECT_EQ(b.Exit("exit for"), "\t\tpop\t\tr6\r\n\t\tpop\t\tr5\r\n\t\trjmp\tL0040\r\n");
}

TEST(FirstPassStatements, ExitOfAnythingElseIsReported) {
  Blocks b;
  EXPECT_EQ(b.Exit("exit select"), "");
  EXPECT_NE(b.report.Text().find("You can not Exit from select!"), std::string::npos);
  EXPECT_EQ(b.st.TokText(), "<EOL>");
  Blocks e;
  EXPECT_EQ(e.Exit("exit"), "");
  EXPECT_NE(e.report.Text().find("You can not Exit from <EOL>!"), std::string::npos);
  EXPECT_EQ(e.st.TokText(), "<EOL>");  // still on the line
}

TEST(FirstPassStatements, EndIsAJumpToItself) {
  struct Case {
    const char* jump;
  } cases[] = {{"rjmp"}, {"jmp"}};
  for (const Case& c : cases) {
    test::CompilerFixture f;
    f.st.mn.JumpMnemonic = c.jump;
    f.LoadSource("end\n");
    CompileEndStatement(f.st);
    EXPECT_EQ(f.st.out.Str(), std::string("L0000:\r\n\t\t") + c.jump + "\tL0000\r\n\r\n");
    EXPECT_EQ(f.st.TokText(), "<EOL>");
  }
}

TEST(FirstPassStatements, DeclareOfAnotherWordInTheCode) {
  test::CompilerFixture f;
  f.LoadSource("declare x = 1\n");
  CompileDeclareStatement(f.st);
  EXPECT_NE(f.report.Text().find("Sub, Function or Interrupt!"), std::string::npos);
  EXPECT_EQ(f.st.TokText(), "x_");  // the statement loop goes on with the next word
}

}  // namespace
}  // namespace qbc
