// A constant loaded into an integer type's registers must fit them: otherwise a compile
// error naming the number and the type, never some other number stored silently.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc {
namespace {

const std::string kHead = "$device = m8\n$clock = 8\n$stack = 32\nDim A As Long, W As Word, B As Byte\n";

TEST(ConstantRange, AConstantBeyondItsTargetIsAnError) {
  struct Case {
    const char* statement;  // line 5
    const char* error;
  } cases[] = {
      {"A = 99999999999999999999", "Constant 99999999999999999999 does not fit a Long!"},
      {"A = 4294967296", "Constant 4294967296 does not fit a Long!"},
      {"A = 1e10", "Constant 1e10 does not fit a Long!"},
      {"A = -2147483649", "Constant -2147483649 does not fit a Long!"},
      {"W = 70000", "Constant 70000 does not fit a Word!"},
      {"W = -32769", "Constant -32769 does not fit a Word!"},
      {"B = 256", "Constant 256 does not fit a Byte!"},
      {"For B = 1 To 300 : Next", "Constant 300 does not fit a Byte!"},
      {"For W = 1 To 70000 : Next", "Constant 70000 does not fit a Word!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    test::CompiledBasic r = test::CompileBasic(kHead + c.statement + "\nEnd\n");
    EXPECT_EQ(r.failure, "");
    EXPECT_TRUE(r.StartsWithError(c.error, 5)) << r.report;
  }
}

// The whole range of each type is taken, its negative half as the same bits.
TEST(ConstantRange, EveryValueOfTheTypeIsStored) {
  auto run = test::RunBasic(kHead + "Dim A2 As Long, W2 As Word, B2 As Byte\n"
                            "A = 4294967295\nA2 = -2147483648\nW = 65535\nW2 = -32768\nB = 255\nB2 = -1\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Long("a"), 0xFFFFFFFFu);
  EXPECT_EQ(run->Long("a2"), 0x80000000u);
  EXPECT_EQ(run->Word("w"), 65535);
  EXPECT_EQ(run->Word("w2"), 0x8000);
  EXPECT_EQ(run->Byte("b"), 255);
  EXPECT_EQ(run->Byte("b2"), 255);
}

}  // namespace
}  // namespace qbc
