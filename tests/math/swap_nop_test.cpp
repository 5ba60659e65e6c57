// Swap and Nop on the simulator.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const std::string kHead = "$device = m8\n$clock = 8\n$stack = 32\n";

TEST(SwapStatement, NibblesBytesAndTwoVariables) {
  auto run = RunBasic(kHead +
                          "Dim B As Byte, W As Word, I As Integer, C As Byte, D As Byte, U As Word, V As Word\n"
                          "Dim J As Integer, G As Byte\n"
                          "B = &H3C\nSwap B\nW = &H1234\nSwap(W)\nI = -2\nSwap I\n"
                          "C = 7\nD = 200\nG = 99\nSwap C, D\nU = 1000\nV = 54321\nSwap(U, V)\n"
                          "J = -5\nSwap J, U\nNop\nNop 3\nNop 0\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 0xC3);
  EXPECT_EQ(run->Word("w"), 0x3412);
  EXPECT_EQ(run->Word("i"), 0xFEFF);
  EXPECT_EQ(run->Byte("c"), 200);
  EXPECT_EQ(run->Byte("d"), 7);
  EXPECT_EQ(run->Byte("g"), 99);
  EXPECT_EQ(run->Word("u"), 0xFFFB);
  EXPECT_EQ(run->Word("v"), 1000);
  EXPECT_EQ(run->Word("j"), 54321);  // J took U's value after the first exchange
}

// Locals and parameters are stored back into their frame, with each other and with
// globals.
TEST(SwapStatement, FrameVariables) {
  auto run = RunBasic(kHead +
                          "Declare Sub Mix(P As Word, Q As Byte)\n"
                          "Dim G As Word, H As Byte, Out1 As Word, Out2 As Word, Out3 As Byte, Out4 As Byte, Out5 As Integer\n"
                          "G = 1234\nH = 9\nMix(&HBEEF, 77)\nEnd\n"
                          "Sub Mix(P As Word, Q As Byte)\nLocal X As Word, C As Byte, I As Integer\n"
                          "X = 4321\nC = 5\nI = -7\n"
                          "Swap X, P\nSwap Q, C\nSwap(G, X)\nSwap H, Q\nSwap I, P\n"
                          "Out1 = X\nOut2 = P\nOut3 = C\nOut4 = Q\nOut5 = I\nEnd Sub\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Word("g"), 0xBEEF);
  EXPECT_EQ(run->Word("out1"), 1234);
  EXPECT_EQ(run->Integer("out2"), -7);
  EXPECT_EQ(run->Integer("out5"), 4321);
  EXPECT_EQ(run->Byte("out3"), 77);
  EXPECT_EQ(run->Byte("out4"), 9);
  EXPECT_EQ(run->Byte("h"), 5);
}

// Variables of different sizes would be stored through registers never loaded; counts a
// byte cannot hold are no nop count; a long has no swap.
TEST(SwapStatement, MisfitsAreReported) {
  struct Row {
    const char* line;
    const char* message;
  };
  const Row rows[] = {
      {"Swap B, W", "Must be of the same size!"},
      {"Swap L", "Must be Byte, Integer or Word!"},
      {"Swap 5", "Must be a variable!"},
      {"Nop 256", "Must be 0 to 255!"},
      {"Swap B, PORTB", "Must be a variable!"},
      {"Swap PORTB", "Must be a variable!"},
  };
  for (const Row& r : rows) {
    auto compiled = CompileBasic(kHead + "Dim B As Byte, W As Word, L As Long\n" + r.line + "\nEnd\n");
    EXPECT_TRUE(compiled.StartsWithError(r.message, 5)) << r.line << ": " << compiled.report;
  }
}

}  // namespace
}  // namespace qbc::test
