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
  for (int i = 1; i <= 8; ++i) body += "Dim Res" + std::to_string(i) + " As Byte\n";
  body +=
      "S = \"abc\"\nT = \"abc\"\nU = \"ab\"\nA(1) = \"abc\"\n"
      "Res1 = 0\nRes2 = 0\nRes3 = 0\nRes4 = 0\nRes5 = 0\nRes6 = 0\nRes7 = 0\nRes8 = 0\n"
      "If S = \"abc\" Then Res1 = 1\n"
      "If S = T Then Res2 = 1\n"
      "If S <> \"abd\" Then Res3 = 1\n"
      "If S = \"abd\" Then Res4 = 1\n"
      "If A(1) = S Then Res5 = 1\n"
      "If S = U Then Res6 = 1\n"
      "If U = \"abc\" Then Res7 = 1\n"
      "If S = \"\" Then Res8 = 1\n";
  Program p = test::strprog::Run(body, GetParam().target, GetParam().poolAbove64k);
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Byte("res1"), 1);
  EXPECT_EQ(p.Byte("res2"), 1);
  EXPECT_EQ(p.Byte("res3"), 1);
  EXPECT_EQ(p.Byte("res4"), 0);
  EXPECT_EQ(p.Byte("res5"), 1);
  EXPECT_EQ(p.Byte("res6"), 0) << "a prefix is not equal";
  EXPECT_EQ(p.Byte("res7"), 0) << "a prefix is not equal";
  EXPECT_EQ(p.Byte("res8"), 0);
}

// String functions as numbers in conditions.
TEST_P(StringCompare, FunctionResultsCompareAsNumbers) {
  Program p = test::strprog::Run(
      "Dim S As String * 10\nDim Res1 As Byte\nDim Res2 As Byte\nDim Res3 As Byte\nDim Res4 As Byte\nDim Res5 As Byte\n"
      "Dim W As Word\nS = \"250\"\nW = 7\nRes1 = 0\nRes2 = 0\nRes3 = 0\nRes4 = 0\nRes5 = 0\n"
      "If Len(S) = 3 Then Res1 = 1\n"
      "If Instr(S, \"50\") = 2 Then Res2 = 1\n"
      "If Val(S) > 100 Then Res3 = 1\n"
      "If W < Len(S) + 5 Then Res4 = 1\n"
      "If Val(S) < 250 Then Res5 = 1\n",
      GetParam().target, GetParam().poolAbove64k);
  ASSERT_TRUE(p.sim);
  EXPECT_EQ(p.Byte("res1"), 1);
  EXPECT_EQ(p.Byte("res2"), 1);
  EXPECT_EQ(p.Byte("res3"), 1);
  EXPECT_EQ(p.Byte("res4"), 1);
  EXPECT_EQ(p.Byte("res5"), 0);
}

// Two string parameters or locals of a procedure: every form of condition compares the
// texts (the Z flag left by the last load decides nothing).
TEST_P(StringCompare, ParametersAndLocalsCompareAsTexts) {
  Program p = test::strprog::Run(
      "Dim Res1 As Byte\nDim Res2 As Byte\nDim Res3 As Byte\nDim Res4 As Byte\nDim Res5 As Byte\nDim Res6 As Byte\n"
      "Declare Function Cmp(tag As String * 8, chk As String * 8) As Byte\n"
      "Res1 = Cmp(\"abc\", \"abc\")\nRes2 = Cmp(\"abc\", \"abd\")\nRes3 = Cmp(\"abd\", \"abc\")\n"
      "Res4 = Cmp(\"b\", \"ab\")\nRes5 = Cmp(\"ab\", \"abc\")\nRes6 = Cmp(\"\", \"x\")\n"
      "End\n"
      "Function Cmp(tag As String * 8, chk As String * 8) As Byte\n"
      "  Local r As Byte\n  Local n As Byte\n  Local a As String * 8\n  Local b As String * 8\n"
      "  r = 0\n  a = tag\n  b = chk\n"
      "  If tag = chk Then r = r + 1\n"
      "  If tag <> chk Then r = r + 2\n"
      "  If a < b Then\n    r = r + 4\n  ElseIf a = b Then\n    r = r + 8\n  End If\n"
      "  n = 0\n  While a <> b\n    n = n + 1\n    b = a\n  Wend\n"
      "  r = r + n * 16\n"
      "  n = 0\n  Do\n    n = n + 1\n    If n > 3 Then Exit Do\n  Loop While tag = chk\n"
      "  r = r + n * 32\n"
      "  Return r\nEnd Function\n",
      GetParam().target, GetParam().poolAbove64k);
  ASSERT_TRUE(p.sim);
  // bits: 1 equal, 2 different, 4 less (ElseIf: 8 equal), 16 the While ran once, 32 the
  // Do ran once (equal texts run it four times: 128)
  EXPECT_EQ(p.Byte("res1"), 1 + 8 + 128);
  EXPECT_EQ(p.Byte("res2"), 2 + 4 + 16 + 32);
  EXPECT_EQ(p.Byte("res3"), 2 + 16 + 32);
  EXPECT_EQ(p.Byte("res4"), 2 + 16 + 32);
  EXPECT_EQ(p.Byte("res5"), 2 + 4 + 16 + 32) << "a prefix is less";
  EXPECT_EQ(p.Byte("res6"), 2 + 4 + 16 + 32);
}

// Str and Hex are texts on either side of a comparison, in If, While and Case, against
// every kind of text: a variable, a literal, a part of a string, Chr, another number's text,
// a Function's local (its frame stays where its loads look for it). Each Hit(n) is set
// where the comparison holds.
TEST_P(StringCompare, NumberTextsCompareAsTextsOnEitherSide) {
  Program p = test::strprog::Run(
      "Dim S As String * 10 , T As String * 10 , U As String * 10 , V As String * 16 , Hit(24) As Byte\n"
      "Dim W As Word , W2 As Word , B As Byte , N As Byte , K As Word , F As Float , L As Long\n"
      "Declare Function Same(x As Word) As Byte\n"
      "S = \"12\" : T = \"x12y\" : U = \"FF\" : W = 12 : W2 = 13 : B = 255 : N = 1 : F = 2.5 : L = -70000\n"
      "V = Str(F)\n"
      "For K = 1 To 22 : Hit(K) = 0 : Next\n"
      "If S = Str(W) Then Hit(1) = 1\n"
      "If S = Str(12) Then Hit(2) = 1\n"
      "If U = Hex(B) Then Hit(3) = 1\n"
      "If S = Hex(B) Then Hit(4) = 1\n"
      "If Str(W) = \"12\" Then Hit(5) = 1\n"
      "If Str(W) = S Then Hit(6) = 1\n"
      "If Str(W) = Str(W2) Then Hit(7) = 1\n"
      "If Str(W) <> Str(W2) Then Hit(8) = 1\n"
      "If Hex(B) = U Then Hit(9) = 1\n"
      "If Hex(B) = Str(W) Then Hit(10) = 1\n"
      "If Mid(T , 2 , 2) = Str(W) Then Hit(11) = 1\n"
      "If Str(W) = Mid(T , 2 , 2) Then Hit(12) = 1\n"
      "If Chr(49) = Str(N) Then Hit(13) = 1\n"
      "If Str(N) = Chr(49) Then Hit(14) = 1\n"
      "If V = Str(F) Then Hit(15) = 1\n"
      "If Str(F) = V Then Hit(16) = 1\n"
      "If S < Str(W2) And Str(L) = \"-70000\" Then Hit(17) = 1\n"
      "K = 0\n"
      "While S <> Str(K)\n  Incr K\n  If K > 30 Then Exit While\nWend\n"
      "Hit(18) = K\n"
      "Select Case S\n  Case Hex(B) : Hit(19) = 1\n  Case Str(W) : Hit(19) = 2\n  Case Else : Hit(19) = 3\nEnd Select\n"
      "Select Case U\n  Case Str(W) : Hit(20) = 1\n  Case Hex(B) : Hit(20) = 2\nEnd Select\n"
      "Hit(21) = Same(12)\n"
      "Hit(22) = Same(13)\n"
      "End\n"
      "Function Same(x As Word) As Byte\n"
      "  Local r As Byte\n  Local loc As String * 6\n"
      "  r = 0 : loc = \"12\"\n"
      "  If Str(x) = loc Then r = r + 1\n"
      "  If loc = Str(x) Then r = r + 2\n"
      "  If Hex(x) = Hex(x) Then r = r + 4\n"
      "  Return r\nEnd Function\n",
      GetParam().target, GetParam().poolAbove64k);
  ASSERT_TRUE(p.sim) << p.report;
  const int expected[] = {0, 1, 1, 1, 0, 1, 1, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 12, 2, 2, 7, 4};
  for (int n = 1; n <= 22; ++n) EXPECT_EQ(p.Byte("hit", n), expected[n]) << "Hit(" << n << ")";
}

INSTANTIATE_TEST_SUITE_P(Devices, StringCompare,
                         ::testing::Values(Device{test::strprog::M8(), false}, Device{test::strprog::M128(), true}),
                         [](const auto& param) { return param.param.target.device; });

}  // namespace
}  // namespace qbc
