// A BASIC program with float arithmetic, a conversion and NaN results, compiled by the compiler (the
// link step appends the float library by its used flags), assembled and run.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(FloatProgram, ArithmeticThroughTheLinkStep) {
  for (const char* device : {"m8", "m32", "m2560"}) {
    const std::string src = std::string("$device = ") + device +
                            "\n$clock = 8\n$stack = 32\n"
                            "Dim A As Float\nDim B As Float\nDim C As Float\nDim D As Float\nDim E As Float\n"
                            "Dim L As Long\nDim Z As Float\nDim N As Float\nDim M As Float\n"
                            "A = 1.5\nB = 2.25\nC = A * B\nD = A / B\nE = A + B\nL = C\n"
                            "Z = 0.0\nN = A / Z\nM = N + B\nEnd\n";
    auto run = RunBasic(src, device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->FloatBits("c"), 0x40580000u) << device;  // 3.375
    EXPECT_EQ(run->FloatBits("d"), 0x3F2AAAABu) << device;  // 2/3, rounded to nearest
    EXPECT_EQ(run->FloatBits("e"), 0x40700000u) << device;  // 3.75
    EXPECT_EQ(run->Long("l"), 3u) << device;
    // Division by zero gives NaN; NaN as an operand leaves through the unpacking's exit,
    // which drops a 3-byte return address on the ATmega2560.
    EXPECT_EQ(run->FloatBits("n") >> 16, 0xFFC0u) << device;
    EXPECT_EQ(run->FloatBits("m") >> 16, 0xFFC0u) << device;
  }
}

}  // namespace
}  // namespace qbc::test
