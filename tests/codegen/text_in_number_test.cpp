// A string variable where a number is computed is reported at its line; the places where a
// string is read for what a function makes of it still compile and run.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* const kHead =
    "$device = m8\n$clock = 8\n$stack = 40\n"
    "Dim S As String * 8 , Sa(3) As String * 4 , B As Byte , W As Word , F As Float\n";

TEST(TextInNumber, StringVariablesInNumericExpressionsAreReportedAtTheirLine) {
  const char* const lines[] = {
      "B = S + 1",
      "W = 3 * S",
      "B = S",
      "F = S * 2",
      "W = B + Sa(1)",
      "B = 2 : W = W - S",
  };
  for (const char* line : lines) {
    const auto compiled = CompileBasic(std::string(kHead) + "S = \"12\"\n" + line + "\nEnd\n");
    EXPECT_EQ(compiled.error_count, 1) << line << "\n" << compiled.report;
    EXPECT_TRUE(compiled.StartsWithError("Only numeric variables!", 6)) << line << "\n" << compiled.report;
  }
}

TEST(TextInNumber, AStringLocalIsReportedToo) {
  const auto compiled = CompileBasic(std::string(kHead) +
                                     "Declare Sub Tst()\nTst()\nEnd\n"
                                     "Sub Tst()\n  Local T As String * 4\n  B = T + 1\nEnd Sub\n");
  EXPECT_EQ(compiled.error_count, 1) << compiled.report;
  EXPECT_TRUE(compiled.StartsWithError("Only numeric variables!", 10)) << compiled.report;
}

TEST(TextInNumber, FunctionsOfTextStillTakeStrings) {
  auto run = RunBasic(std::string(kHead) +
                      "S = \"12\"\nSa(1) = \"abc\"\nB = Len(S) + Asc(S)\nW = Val(S) * 3 + Len(Sa(1))\n"
                      "If S = \"12\" Then F = 1.5\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("b"), 2 + '1');
  EXPECT_EQ(run->Word("w"), 39);
  EXPECT_EQ(run->FloatBits("f"), 0x3FC00000u);
}

}  // namespace
}  // namespace qbc::test
