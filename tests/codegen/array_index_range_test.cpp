// A constant index names an element the array was declared with, 0 to count - 1; one
// outside them is a compile error at its line, in every place an element is read or
// written, instead of code that reaches the memory after the array.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

const char* kProgram =
    "$device = m8\n$clock = 8\n$stack = 32\nConst Cnt = 10\n"
    "Dim A(10) As Byte, W(4) As Word, L(2) As Long, S(3) As String * 5, X As Byte, After As Byte\n";

TEST(ArrayIndexRange, ConstantIndexOutsideTheArrayIsACompileError) {
  struct Case {
    const char* statement;  // line 6
    const char* error;
  } cases[] = {
      {"A(10) = 3", "Index 10 is outside array A (0 to 9)!"},
      {"X = A(12) + 1", "Index 12 is outside array A (0 to 9)!"},
      {"X = 1 + A(Cnt)", "Index 10 is outside array A (0 to 9)!"},
      {"If A(11) = 0 Then X = 1", "Index 11 is outside array A (0 to 9)!"},
      {"Incr A(10)", "Index 10 is outside array A (0 to 9)!"},
      {"W(&h4) = 1", "Index 4 is outside array W (0 to 3)!"},
      {"X = L(&b10)", "Index 2 is outside array L (0 to 1)!"},
      {"S(3) = \"ab\"", "Index 3 is outside array S (0 to 2)!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statement);
    const CompiledBasic r = CompileBasic(std::string(kProgram) + c.statement + "\nEnd\n");
    EXPECT_EQ(r.failure, "");
    EXPECT_EQ(r.error_count, 1) << r.report;
    EXPECT_TRUE(r.StartsWithError(c.error, 6)) << r.report;
  }
}

// The last element by constant, and any index held in a variable, are taken as they are.
TEST(ArrayIndexRange, TheLastElementsAndVariableIndexesAreTaken) {
  auto run = RunBasic(std::string(kProgram) +
                      "After = 0 : A(9) = 5 : W(3) = 700 : L(Cnt - 9) = 70000 : S(2) = \"ab\"\n"
                      "X = 9 : A(X) = A(X) + A(9)\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("a", 9), 10);
  EXPECT_EQ(run->Word("w", 6), 700);
  EXPECT_EQ(run->Long("l", 4), 70000u);
  EXPECT_EQ(run->Byte("s", 12), 'a');
  EXPECT_EQ(run->Byte("after"), 0);
}

}  // namespace
}  // namespace qbc::test
