// Comparisons of a part of a string (Left, Mid, Right) with constants, variables and other
// parts, on either side of the relation, in If conditions and as Case values: only the
// part's characters take part, and the stacks are as they were afterwards.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/codegen/string_program.h"

namespace qbc {
namespace {

using test::strprog::Program;
using test::strprog::Target;

struct Device {
  Target target;
  bool poolAbove64k;
};
void PrintTo(const Device& d, std::ostream* os) { *os << d.target.device; }

class SubstringCompare : public ::testing::TestWithParam<Device> {};

TEST_P(SubstringCompare, OnlyThePartsCharactersAreCompared) {
  // S = "abcdef", U = "abcdef", T = "bc", V = "ab"; each condition and whether it holds.
  const std::vector<std::pair<std::string, int>> cases = {
      {"Left(S, 2) = \"ab\"", 1},
      {"Left(S, 2) = \"abc\"", 0},
      {"Left(S, 3) <> \"ab\"", 1},
      {"Left(S, 2) <> \"ab\"", 0},
      {"Mid(S, 2, 2) = T", 1},
      {"T = Mid(S, 2, 2)", 1},
      {"V = Mid(S, 2, 2)", 0},
      {"V = Left(S, 2)", 1},
      {"Right(S, 2) = \"ef\"", 1},
      {"Left(S, 2) = Left(U, 2)", 1},
      {"Left(S, 2) = Left(U, 3)", 0},
      {"Left(S, 2) < \"ac\"", 1},
      {"Left(S, 3) > \"ab\"", 1},
      {"Left(S, 2) > \"ab\"", 0},
      {"Left(S, 2) = V And Mid(S, 3, 1) = \"c\"", 1},
      {"Left(S, 2) = \"xx\" Or Mid(S, 5, 9) = \"ef\"", 1},
      {"Left(S, 2) = S", 0},
      {"Mid(S, 2) = \"bcdef\"", 1},
      {"Mid(Left(S, 4), 3) = \"cd\"", 1},
  };
  std::string body = "Dim S As String * 10\nDim U As String * 10\nDim T As String * 10\nDim V As String * 10\n";
  for (std::size_t i = 0; i < cases.size(); ++i) body += "Dim Res" + std::to_string(i) + " As Byte\n";
  body += "Dim C1 As Byte\nDim C2 As Byte\nDim K As Byte\nDim W1 As Byte\nDim W2 As Byte\n";
  body += "Declare Sub Chk(x As String * 10)\n";
  body += "S = \"abcdef\"\nU = S\nT = \"bc\"\nV = \"ab\"\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string r = "Res" + std::to_string(i);
    body += r + " = 0\nIf " + cases[i].first + " Then " + r + " = 1\n";
  }
  body +=
      "Select Case T\n  Case Left(S, 2)\n    C1 = 1\n  Case Mid(S, 2, 2)\n    C1 = 2\n  Case Else\n    C1 = 3\n"
      "End Select\n"
      "Select Case V\n  Case Mid(S, 2, 2)\n    C2 = 1\n  Case Left(U, 2)\n    C2 = 2\n  Case Else\n    C2 = 3\n"
      "End Select\n"
      // Loop conditions: left as soon as the part matches.
      "W1 = 0\nWhile Left(S, W1) <> \"abc\"\n  W1 = W1 + 1\nWend\n"
      "W2 = 0\nDo\n  W2 = W2 + 1\nLoop While Mid(S, W2, 2) <> \"de\"\n"
      "Chk(S)\n"
      "End\n"
      // Locals are read through Y after the comparisons.
      "Sub Chk(x As String * 10)\n  Local k1 As Byte\n  k1 = 5\n"
      "  If Left(x, 2) = \"ab\" Then k1 = k1 + 1\n  If Mid(x, 2, 2) = T Then k1 = k1 + 10\n  K = k1\nEnd Sub\n";
  Program p = test::strprog::Run(body, GetParam().target, GetParam().poolAbove64k);
  ASSERT_TRUE(p.sim);
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(p.Byte("res" + std::to_string(i)), cases[i].second) << cases[i].first;
  EXPECT_EQ(p.Byte("c1"), 2) << "Case values that are parts of a string";
  EXPECT_EQ(p.Byte("c2"), 2);
  EXPECT_EQ(p.Byte("k"), 16) << "comparisons inside a Sub";
  EXPECT_EQ(p.Byte("w1"), 3) << "While condition";
  EXPECT_EQ(p.Byte("w2"), 4) << "Loop While condition";
  EXPECT_EQ(p.Text("s"), "abcdef") << "the compared string is left alone";

  // Both stacks end where an empty program's end.
  Program empty = test::strprog::Run("End\n", GetParam().target);
  ASSERT_TRUE(empty.sim);
  EXPECT_EQ(p.sim->Reg(28), empty.sim->Reg(28));
  EXPECT_EQ(p.sim->Reg(29), empty.sim->Reg(29));
  EXPECT_EQ(p.sim->Sp(), empty.sim->Sp());
}

INSTANTIATE_TEST_SUITE_P(Devices, SubstringCompare,
                         ::testing::Values(Device{test::strprog::M8(), false}, Device{test::strprog::M128(), true}),
                         [](const auto& param) { return param.param.target.device; });

}  // namespace
}  // namespace qbc
