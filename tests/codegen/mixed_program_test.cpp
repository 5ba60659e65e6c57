// Whole programs that mix the statement families: declarations, a Function and a Sub with a
// local, For loops over an array, float arithmetic in a condition, string building, Select
// Case and Do/Loop, compiled, assembled and run on the simulator.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kMixedProgram = R"(
$clock = 8
$stack = 48
Declare Function Square(n As Integer) As Long
Declare Sub FillA(c As Byte)
Dim A(11) As Byte, I As Byte, W As Word, L As Long, F As Float, G As Float
Dim S As String * 20, T As String * 10
Const K = 3

For I = 1 To 10
  A(I) = I * K
Next
W = 0
For I = 1 To 10
  W = W + A(I)
Next
L = Square(-300)
F = 2.5
G = F * 4.0 - 1.5
If G > 8.4 And W = 165 Then
  S = "ok " + Str(W)
Else
  S = "bad"
End If
Select Case I
  Case 11 : T = "eleven"
  Case Else : T = "other"
End Select
FillA(7)
Do
  Incr W
Loop While W < 200
End

Function Square(n As Integer) As Long
  Return n * n
End Function

Sub FillA(c As Byte)
  Local j As Byte
  For j = 1 To 10
    A(j) = c
  Next
End Sub
)";

std::string Text(const BasicRun& run, const std::string& name) {
  std::string s;
  for (int k = 0; k < 255; ++k) {
    const char c = static_cast<char>(run.Byte(name, k));
    if (c == 0) break;
    s += c;
  }
  return s;
}

class MixedProgram : public ::testing::TestWithParam<std::string> {};

TEST_P(MixedProgram, EveryPartLeavesItsResult) {
  const std::string dev = GetParam();
  auto run = RunBasic("$device = " + dev + kMixedProgram, "atmega" + dev.substr(1), 50'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("w"), 200);
  EXPECT_EQ(run->Long("l"), 90000u);
  EXPECT_EQ(run->FloatBits("g"), 0x41080000u);  // 8.5
  EXPECT_EQ(run->Byte("i"), 11);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(run->Byte("a", k), 7) << k;
  EXPECT_EQ(Text(*run, "s"), "ok 165");
  EXPECT_EQ(Text(*run, "t"), "eleven");
}

INSTANTIATE_TEST_SUITE_P(Devices, MixedProgram, ::testing::Values("m8", "m88", "m128"));

// A keyword whose statement has no generator yet must not vanish from a program that then
// reports success: it is a compile error.
TEST(UnbuiltStatements, AreReportedNotDropped) {
  auto run = RunBasic("$device = m8\n$clock = 8\n$stack = 32\nDim B As Byte\nB = 1\nLTrim\nB = 2\nEnd\n");
  EXPECT_FALSE(run->ok);
  EXPECT_NE(run->compiled.report.find("Not supported yet: LTRIM"), std::string::npos) << run->compiled.report;
}

}  // namespace
}  // namespace qbc::test
