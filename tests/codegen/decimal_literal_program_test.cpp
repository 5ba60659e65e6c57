// Numbers with a decimal point anywhere on a line (after a name, in a condition, as an
// argument) are one number: they used to arrive as "1" "." "5" once a name had
// come since the line start or the last "=", and the line did not compile.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(DecimalLiteralProgram, NumbersAfterNamesKeepTheirDecimalPoint) {
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Declare Sub S(x As Float)\n"
      "Dim A As Float\nDim B As Float\nDim F As Float\nDim G As Float\nDim P As Float\n"
      "Dim Above As Byte\nDim Below As Byte\n"
      "B = 2\nA = B + 1.5\n"
      "F = 2\nAbove = 0\nBelow = 0\n"
      "If F > 1.5 Then Above = 1\n"
      "If F < 1.5 Then Below = 1\n"
      "If 1.5 > F Then Below = 2\n"
      "P = A - 2.5\nP = P * B - 0.25\n"
      "G = 0\nS(2.5)\n"
      "End\n"
      "Sub S(x As Float)\nG = G + x\nEnd Sub\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->FloatBits("a"), 0x40600000u);  // 3.5
  EXPECT_EQ(run->Byte("above"), 1);
  EXPECT_EQ(run->Byte("below"), 0);
  EXPECT_EQ(run->FloatBits("p"), 0x3FE00000u);  // (3.5 - 2.5) * 2 - 0.25 = 1.75
  EXPECT_EQ(run->FloatBits("g"), 0x40200000u);  // 2.5
}

// Loop conditions and loop bodies with decimal numbers after names.
TEST(DecimalLiteralProgram, LoopConditionsAndBodies) {
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim F As Float\nDim G As Float\nDim H As Float\nDim I As Byte\n"
      "F = 0\nFor I = 1 To 3\nF = F + 0.5\nNext\n"
      "G = F\nWhile G < 3.5\nG = G + 0.25\nWend\n"
      "H = G\nDo\nH = H - 0.5\nLoop While H > 1.5\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->FloatBits("f"), 0x3FC00000u);  // 1.5
  EXPECT_EQ(run->FloatBits("g"), 0x40600000u);  // 3.5
  EXPECT_EQ(run->FloatBits("h"), 0x3FC00000u);  // 1.5
}

}  // namespace
}  // namespace qbc::test
