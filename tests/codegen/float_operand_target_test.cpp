// A Float operand makes the expression a Float wherever an integer is wanted: the
// operation is worked as a Float and the result is converted into the integer as a Float
// variable is, so that I = F * 1000 stores what T = F * 1000 : I = T stores with a Float
// T. Run on the simulator for every integer target and every kind of Float operand.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kHead = "$device = m128\n$clock = 8\n$stack = 64\n";

struct Case {
  const char* expression;  // F = 2.5, H = 0.5, FA(1) = 2.5, B = 10, K a Const 2.5
  std::int32_t value;      // what the Float T = expression truncates to
};

// Each expression into a Byte, Word, Integer and Long target directly (G..) and through
// a Float (E..): the two must agree, and the Long holds the truncated Float value.
TEST(FloatOperandTarget, EveryIntegerTargetStoresWhatAFloatWouldGiveIt) {
  const std::vector<Case> cases = {
      {"F * 1000", 2500},       {"Sin(H) * 1000", 479},   {"K * 100", 250},     {"Sqr(F) * 10", 62},
      {"Half(F) * 100", 125},   {"FA(1) * 100", 250},     {"F * 4 + 1", 11},    {"7 - F", 4},
      {"-F * 3", -7},           {"B / F", 4},             {"(F + 0.25) * 4", 11}, {"B * F - F", 22},
  };
  const std::string n = std::to_string(cases.size());
  std::string src = std::string(kHead) +
                    "Dim F As Float , H As Float , T As Float , FA(3) As Float , B As Byte\n"
                    "Dim RB As Byte , RW As Word , RI As Integer , RL As Long\n"
                    "Dim GB(" + n + ") As Byte , GW(" + n + ") As Word , GI(" + n + ") As Integer , GL(" + n +
                    ") As Long\n"
                    "Dim EB(" + n + ") As Byte , EW(" + n + ") As Word , EI(" + n + ") As Integer , EL(" + n +
                    ") As Long\n"
                    "Const K = 2.5\n"
                    "Declare Function Half(x As Float) As Float\n"
                    "F = 2.5 : H = 0.5 : FA(1) = 2.5 : B = 10\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string e = cases[i].expression;
    const std::string k = std::to_string(i);
    src += "T = " + e + " : EB(" + k + ") = T : EW(" + k + ") = T : EI(" + k + ") = T : EL(" + k + ") = T\n";
    src += "RB = " + e + " : GB(" + k + ") = RB\n";
    src += "RW = " + e + " : GW(" + k + ") = RW\n";
    src += "RI = " + e + " : GI(" + k + ") = RI\n";
    src += "RL = " + e + " : GL(" + k + ") = RL\n";
  }
  src += "End\nFunction Half(x As Float) As Float\n  Return x / 2\nEnd Function\n";
  auto run = RunBasic(src, "m128", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const int k = static_cast<int>(i);
    SCOPED_TRACE(cases[i].expression);
    EXPECT_EQ(static_cast<std::int32_t>(run->Long("el", 4 * k)), cases[i].value);
    EXPECT_EQ(run->Long("gl", 4 * k), run->Long("el", 4 * k));
    EXPECT_EQ(run->Integer("gi", 2 * k), run->Integer("ei", 2 * k));
    EXPECT_EQ(run->Word("gw", 2 * k), run->Word("ew", 2 * k));
    EXPECT_EQ(run->Byte("gb", k), run->Byte("eb", k));
  }
}

// The other places an integer is wanted: a parameter, a local, an array element, an
// index, a Function's result, a For end; each takes the Float result, not its operands
// cut first (F * 1000 with F = 2.5 was 2000, an index F * 2 was 4).
TEST(FloatOperandTarget, ParametersLocalsElementsIndexesResultsAndForEnds) {
  auto run = RunBasic(std::string(kHead) +
                          "Dim F As Float , L As Long , W As Word , I As Integer , A(8) As Byte , N As Byte\n"
                          "Dim Q As Integer , E(3) As Word , R As Long\n"
                          "Declare Sub Take(v As Long)\n"
                          "Declare Sub Inside(p As Float)\n"
                          "Declare Function Scaled() As Long\n"
                          "F = 2.5 : N = 0 : A(4) = 0\n"
                          "Take(F * 1000)\n"
                          "Inside(F)\n"
                          "E(2) = F * 1000\n"
                          "A(F * 2) = 9\n"
                          "R = Scaled()\n"
                          "For I = 1 To F * 3\n  N = N + 1\nNext\n"
                          "End\n"
                          "Sub Take(v As Long)\n  L = v\nEnd Sub\n"
                          "Sub Inside(p As Float)\n"
                          "  Local j As Integer\n"
                          "  j = p * 1000\n"
                          "  Q = j\n"
                          "  W = p * 100\n"
                          "End Sub\n"
                          "Function Scaled() As Long\n  Return F * 1000\nEnd Function\n",
                      "m128", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Long("l"), 2500u);
  EXPECT_EQ(run->Integer("q"), 2500);
  EXPECT_EQ(run->Word("w"), 250);
  EXPECT_EQ(run->Word("e", 4), 2500);
  EXPECT_EQ(run->Byte("a", 5), 9);
  EXPECT_EQ(run->Byte("a", 4), 0);
  EXPECT_EQ(run->Long("r"), 2500u);
  EXPECT_EQ(run->Byte("n"), 7);
}

// The index of Incr and Decr is worked as an assignment's index and the selector of On as
// the 16-bit entry number it is compared as: a Float there is converted (Incr stepped the
// element that the Float's address bytes pointed at, On jumped by them), and a sum of
// Bytes is not cut to a Byte (On B + 1 with B = 255 took the first entry).
TEST(FloatOperandTarget, IncrIndexAndOnSelectorAreWholeNumbers) {
  auto run = RunBasic(std::string(kHead) +
                          "Dim F As Float , A(8) As Byte , B As Byte , N As Byte , M As Byte\n"
                          "F = 2.5 : A(5) = 0 : A(2) = 7 : N = 0 : M = 0\n"
                          "Incr A(F * 2)\n"
                          "Decr A(F)\n"
                          "F = 1.5\n"
                          "On F Goto Zero , One , Two\n"
                          "N = 9 : Goto Done\n"
                          "Zero: N = 10 : Goto Done\n"
                          "One: N = 11 : Goto Done\n"
                          "Two: N = 12\n"
                          "Done: B = 255\n"
                          "On B + 1 Goto First , Second\n"
                          "M = 7 : Goto Over\n"
                          "First: M = 8 : Goto Over\n"
                          "Second: M = 9\n"
                          "Over: End\n",
                      "m128", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("a", 5), 1);
  EXPECT_EQ(run->Byte("a", 2), 6);
  EXPECT_EQ(run->Byte("n"), 11);
  EXPECT_EQ(run->Byte("m"), 7);
}

// A Bit takes bit 0 of the whole number a Float gives, as it takes bit 0 of a Byte: from a
// Float variable, a Float expression, a function's result and a parameter (it took
// whatever zl held).
TEST(FloatOperandTarget, ABitTakesBitZeroOfTheWholeNumber) {
  auto run = RunBasic(std::string(kHead) +
                          "Dim F As Float , X1 As Bit , X2 As Bit , X3 As Bit , X4 As Bit , X5 As Bit\n"
                          "Dim B1 As Byte , B2 As Byte , B3 As Byte , B4 As Byte , B5 As Byte\n"
                          "Declare Sub Inside(p As Float)\n"
                          "F = 3.75 : X1 = F : B1 = X1\n"
                          "F = 2.5 : X2 = F : B2 = X2\n"
                          "X3 = F * 2 - 2 : B3 = X3\n"
                          "X4 = Sqr(F) : B4 = X4\n"
                          "Inside(7.5)\n"
                          "End\n"
                          "Sub Inside(p As Float)\n  X5 = p : B5 = X5\nEnd Sub\n",
                      "m128", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b1"), 1);  // 3
  EXPECT_EQ(run->Byte("b2"), 0);  // 2
  EXPECT_EQ(run->Byte("b3"), 1);  // 3
  EXPECT_EQ(run->Byte("b4"), 0);  // 6.25: 6
  EXPECT_EQ(run->Byte("b5"), 1);  // 7
}

}  // namespace
}  // namespace qbc::test
