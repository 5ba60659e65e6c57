// Strings handed to Subs and Functions: constants and variables as arguments, and the
// string functions and concatenation working on a string parameter inside the procedure.
#include <gtest/gtest.h>

#include <string>

#include "tests/codegen/string_program.h"

namespace qbc {
namespace {

using test::strprog::Program;
using test::strprog::Target;

class StringSub : public ::testing::TestWithParam<Target> {};

TEST_P(StringSub, ParametersFeedConcatenationAndStringFunctions) {
  Program p = test::strprog::Run(
      "Dim Res1 As String * 20\nDim Res2 As String * 20\nDim Res3 As String * 20\nDim R As String * 20\n"
      "Dim T As String * 8\nDim N As Byte\nDim M As Byte\n"
      "Declare Sub Wrap(x As String * 10)\n"
      "Declare Sub Loc(x As String * 10)\n"
      "Declare Function Ln(x As String * 10) As Byte\n"
      "T = \"middle\"\n"
      "Wrap(\"abc\")\nRes1 = R\n"
      "Wrap(T)\nRes2 = R\n"
      "N = Ln(T)\nM = Ln(\"xyzd\")\n"
      "Loc(T)\nRes3 = R\n"
      "End\n"
      "Sub Wrap(x As String * 10)\n  R = \"<\" + x + Mid(x, 2, 1) + Right(x, 1) + \">\"\nEnd Sub\n"
      "Sub Loc(x As String * 10)\n  Local u As String * 4\n  Local v As String * 8\n  u = x\n"
      "  v = \"[\" + u + Str(Len(x)) + \"]\" + \"more\"\n  x = Left(x, 2) + \"?\"\n  v = Left(v, 3) + \"|\" + v\n  R = v + x\nEnd Sub\n"
      "Function Ln(x As String * 10) As Byte\n  Return Len(x) + Instr(x, \"d\")\nEnd Function\n",
      GetParam());
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Text("res1"), "<abcbc>");
  EXPECT_EQ(p.Text("res2"), "<middleie>");
  EXPECT_EQ(p.Byte("n"), 6 + 3);
  EXPECT_EQ(p.Byte("m"), 4 + 4);
  EXPECT_EQ(p.Text("res3"), "[mi|[midmi?") << "locals and parameters take whole string expressions";
}

INSTANTIATE_TEST_SUITE_P(Devices, StringSub, ::testing::Values(test::strprog::M8(), test::strprog::M128()),
                         [](const auto& param) { return param.param.device; });

}  // namespace
}  // namespace qbc
