// String comparisons in conditions: a variable against a constant (read from flash, above
// 64 KB on m128), against another variable and against an array element, equal and
// different.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

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

class StringCompare : public ::testing::TestWithParam<Device> {};

TEST_P(StringCompare, EqualAndDifferentTextsTakeTheirBranches) {
  std::string body =
      "Dim S As String * 10\nDim T As String * 10\nDim U As String * 10\nDim A(2) As String * 5\n";
  for (int i = 1; i <= 8; ++i) body += "Dim R" + std::to_string(i) + " As Byte\n";
  body +=
      "S = \"abc\"\nT = \"abc\"\nU = \"ab\"\nA(1) = \"abc\"\n"
      "R1 = 0\nR2 = 0\nR3 = 0\nR4 = 0\nR5 = 0\nR6 = 0\nR7 = 0\nR8 = 0\n"
      "If S = \"abc\" Then R1 = 1\n"
      "If S = T Then R2 = 1\n"
      "If S <> \"abd\" Then R3 = 1\n"
      "If S = \"abd\" Then R4 = 1\n"
      "If A(1) = S Then R5 = 1\n"
      "If S = U Then R6 = 1\n"
      "If U = \"abc\" Then R7 = 1\n"
      "If S = \"\" Then R8 = 1\n";
  Program p = test::strprog::Run(body, GetParam().target, GetParam().poolAbove64k);
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Byte("r1"), 1);
  EXPECT_EQ(p.Byte("r2"), 1);
  EXPECT_EQ(p.Byte("r3"), 1);
  EXPECT_EQ(p.Byte("r4"), 0);
  EXPECT_EQ(p.Byte("r5"), 1);
  EXPECT_EQ(p.Byte("r6"), 0) << "a prefix is not equal";
  EXPECT_EQ(p.Byte("r7"), 0) << "a prefix is not equal";
  EXPECT_EQ(p.Byte("r8"), 0);
}

// String functions as numbers in conditions.
TEST_P(StringCompare, FunctionResultsCompareAsNumbers) {
  Program p = test::strprog::Run(
      "Dim S As String * 10\nDim R1 As Byte\nDim R2 As Byte\nDim R3 As Byte\nDim R4 As Byte\nDim R5 As Byte\n"
      "Dim W As Word\nS = \"250\"\nW = 7\nR1 = 0\nR2 = 0\nR3 = 0\nR4 = 0\nR5 = 0\n"
      "If Len(S) = 3 Then R1 = 1\n"
      "If Instr(S, \"50\") = 2 Then R2 = 1\n"
      "If Val(S) > 100 Then R3 = 1\n"
      "If W < Len(S) + 5 Then R4 = 1\n"
      "If Val(S) < 250 Then R5 = 1\n",
      GetParam().target, GetParam().poolAbove64k);
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Byte("r1"), 1);
  EXPECT_EQ(p.Byte("r2"), 1);
  EXPECT_EQ(p.Byte("r3"), 1);
  EXPECT_EQ(p.Byte("r4"), 1);
  EXPECT_EQ(p.Byte("r5"), 0);
}

INSTANTIATE_TEST_SUITE_P(Devices, StringCompare,
                         ::testing::Values(Device{test::strprog::M8(), false}, Device{test::strprog::M128(), true}),
                         [](const auto& param) { return param.param.target.device; });

}  // namespace
}  // namespace qbc
