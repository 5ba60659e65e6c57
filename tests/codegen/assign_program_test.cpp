// Whole programs compiled, assembled and run on the simulator: assignments and arithmetic
// of every numeric type leave the right values in SRAM.
#include <gtest/gtest.h>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(AssignProgram, ByteArithmetic) {
  auto run = RunBasic("$device = m8\n$clock = 8\n$stack = 32\nDim A As Byte, B As Byte\nA = 7\nB = A * 3 + 1\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("a"), 7);
  EXPECT_EQ(run->Byte("b"), 22);
}

}  // namespace
}  // namespace qbc::test
