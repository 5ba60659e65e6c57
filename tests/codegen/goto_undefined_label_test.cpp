// A Goto (or On ... Goto) from inside a For loop to a label that is never defined jumps to a
// generated stub label; the compiler reports the user's label at the Goto's line instead of
// leaving the assembler to report the stub's name.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(GotoUndefinedLabel, ReportedWithTheUsersNameAtTheGotosLine) {
  const CompiledBasic c = CompileBasic(
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim I As Byte\n"
      "For I = 0 To 3\n"            // line 5
      "  If I = 2 Then Goto Nowhere\n"  // line 6
      "  On I Goto Far, Missing\n"  // line 7
      "  Goto Far\n"
      "Next\n"
      "Far:\n"
      "End\n");
  EXPECT_EQ(c.error_count, 2) << c.report;
  EXPECT_NE(c.report.find("Unknown label nowhere (\""), std::string::npos) << c.report;
  EXPECT_NE(c.report.find("Unknown label missing (\""), std::string::npos) << c.report;
  EXPECT_NE(c.report.find("--> Line  6)"), std::string::npos) << c.report;
  EXPECT_NE(c.report.find("--> Line  7)"), std::string::npos) << c.report;
  EXPECT_EQ(c.report.find("compiled OK"), std::string::npos) << c.report;
}

// The same loop with every label defined compiles, and the Gotos leave the loop right.
TEST(GotoUndefinedLabel, DefinedLabelsAfterTheLoopStillWork) {
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim I As Byte\nDim K As Byte\nK = 0\n"
      "For I = 0 To 3\n"
      "  If I = 2 Then Goto Nowhere\n"
      "  K = K + 1\n"
      "Next\n"
      "K = 99\n"
      "Nowhere:\n"
      "K = K + 10\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("k"), 12);
}

}  // namespace
}  // namespace qbc::test
