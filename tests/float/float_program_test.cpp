// A BASIC program with float arithmetic and a conversion, compiled by the compiler (the
// link step appends the float library by its used flags), assembled and run.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(FloatProgram, ArithmeticThroughTheLinkStep) {
  for (const char* device : {"m8", "m32"}) {
    const std::string src = std::string("$device = ") + device +
                            "\n$clock = 8\n$stack = 32\n"
                            "Dim A As Float\nDim B As Float\nDim C As Float\nDim D As Float\nDim E As Float\n"
                            "Dim L As Long\n"
                            "A = 1.5\nB = 2.25\nC = A * B\nD = A / B\nE = A + B\nL = C\nEnd\n";
    auto run = RunBasic(src, device);
    ASSERT_TRUE(run->ok) << run->Diagnostics();
    EXPECT_EQ(run->FloatBits("c"), 0x40580000u) << device;  // 3.375
    EXPECT_EQ(run->FloatBits("d"), 0x3F2AAAABu) << device;  // 2/3, rounded to nearest
    EXPECT_EQ(run->FloatBits("e"), 0x40700000u) << device;  // 3.75
    EXPECT_EQ(run->Long("l"), 3u) << device;
  }
}

}  // namespace
}  // namespace qbc::test
