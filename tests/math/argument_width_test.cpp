// The argument of Sqrt and Abs keeps its own width whatever type the result is stored
// into, on the simulator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

std::string Head(const std::string& device) { return "$device = " + device + "\n$clock = 8\n$stack = 40\n"; }

// Result stored into a narrower type than the argument: the root or absolute value of the
// whole argument, then cut to the target; a float target takes the float root.
TEST(FunctionArgument, KeepsItsOwnWidth) {
  const std::string program = Head("m168") +
                              "Dim B As Byte , C As Byte , W As Word , V As Word , I As Integer , L As Long , M As Long\n"
                              "Dim F As Float , S As String * 8\n"
                              "Dim Q1 As Byte , Q2 As Byte , Q3 As Word , Q4 As Byte , Q5 As Integer\n"
                              "W = 40000\nV = 2\nL = 100000000\nM = -40000\nB = 3\nC = 5\n"
                              "Q1 = Sqrt(W)\nQ2 = Sqrt(W) + 1\nQ3 = Sqrt(L)\nF = Sqrt(V)\n"
                              "W = 40001\nQ4 = Abs(W)\nQ5 = Abs(M)\nS = Str(Abs(B - C))\nEnd\n";
  auto run = RunBasic(program, "atmega168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("q1"), 200) << "Sqrt(40000) into a byte";
  EXPECT_EQ(run->Byte("q2"), 201);
  EXPECT_EQ(run->Word("q3"), 10000) << "Sqrt(100000000) into a word";
  float f = 0;
  const std::uint32_t bits = run->FloatBits("f");
  std::memcpy(&f, &bits, 4);
  EXPECT_NEAR(f, std::sqrt(2.0f), 1e-5) << "Sqrt of a word into a float";
  EXPECT_EQ(run->Byte("q4"), 40001 & 0xFF) << "Abs(40001) into a byte";
  EXPECT_EQ(run->Word("q5"), 40000) << "Abs(-40000) into an integer keeps its bits";
  EXPECT_EQ(run->Byte("s"), '2') << "Abs(3 - 5) with no target";
  EXPECT_EQ(run->Byte("s", 1), 0);
}

// A radicand wider than the target holds a constant the target could not (compiled as a
// byte, 90000 did not fit).
TEST(FunctionArgument, ALongRadicandForAByteTarget) {
  auto run = RunBasic(Head("m168") + "Dim M As Long , Q As Byte\nM = -40000\nQ = Sqrt(M + 90000)\nEnd\n", "atmega168");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("q"), 223) << "Sqrt(50000) into a byte";
}

}  // namespace
}  // namespace qbc::test
