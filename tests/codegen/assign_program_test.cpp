// Whole programs compiled, assembled and run on the simulator: assignments and arithmetic
// of every numeric type leave the right values in SRAM.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

TEST(AssignProgram, ByteArithmetic) {
  auto run = RunBasic("$device = m8\n$clock = 8\n$stack = 32\nDim A As Byte, B As Byte\nA = 7\nB = A * 3 + 1\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("a"), 7);
  EXPECT_EQ(run->Byte("b"), 22);
}

// A list never writes past its variable: as many values as elements fill it exactly,
// one more is a compile error.
TEST(AssignProgram, ListsHoldAtMostOneValuePerElement) {
  const std::string head = "$device = m8\n$clock = 8\n$stack = 32\n";
  auto fits = RunBasic(head +
                       "Dim Sa(3) As String * 4, S As String * 6, After As Byte\n"
                       "After = 77\nSa = (\"x\", \"yy\", \"zzzz\")\nS = (\"abcdef\")\nEnd\n");
  ASSERT_TRUE(fits->ok) << fits->Diagnostics();
  EXPECT_EQ(fits->Byte("sa", 10), 'z');
  EXPECT_EQ(fits->Byte("after"), 77);
  struct Overflow {
    const char* dims;
    const char* list;
    const char* message;
  };
  const Overflow cases[] = {
      {"Dim Sa(3) As String * 4", "Sa = (\"x\", \"yy\", \"zzzz\", \"w\")", "Too many values for SA!"},
      {"Dim S As String * 6", "S = (\"ab\", \"cdefgh\")", "Too many values for S!"},
      {"Dim Arr(3) As Byte", "Arr = (1, 2, 3, 4)", "Too many values for ARR!"},
  };
  for (const Overflow& c : cases) {
    const CompiledBasic r = CompileBasic(head + c.dims + "\n" + c.list + "\nEnd\n");
    EXPECT_EQ(r.error_count, 1) << c.list << "\n" << r.report;
    EXPECT_NE(r.report.find(c.message), std::string::npos) << c.list << "\n" << r.report;
  }
}

// A string list copies its values from flash: constants (also named ones) are cut to their
// element and leave the next variable alone; a value whose text is in SRAM or a number is
// refused at its line rather than its address read as flash.
TEST(AssignProgram, StringListsTakeTextConstants) {
  const std::string head = "$device = m88\n$clock = 8\n$stack = 32\n"
                           "Dim S As String * 8, T As String * 2, After As Byte, B(2) As String * 3, K As Byte\n"
                           "Const C = \"xyz\"\n";
  auto fits = RunBasic(head + "After = 77\nS = \"ABCDEFGH\"\nT = (\"PQRS\")\nB = (C, \"ab\")\nEnd\n", "atmega88");
  ASSERT_TRUE(fits->ok) << fits->Diagnostics();
  EXPECT_EQ(fits->Byte("t", 0), 'P');
  EXPECT_EQ(fits->Byte("t", 1), 'Q');
  EXPECT_EQ(fits->Byte("t", 2), 0);
  EXPECT_EQ(fits->Byte("after"), 77);
  EXPECT_EQ(fits->Byte("b", 2), 'z');
  EXPECT_EQ(fits->Byte("b", 4), 'a');
  for (const char* list : {"T = (S)", "B = (S, \"xy\")", "B = (\"xy\", S)", "T = (Str(K))", "B = (C, 5)",
                           "T = (Chr(65))", "T = (Left(S, 1))", "T = (B(1))"}) {
    const CompiledBasic r = CompileBasic(head + "K = 1\n" + list + "\nEnd\n");
    EXPECT_TRUE(r.StartsWithError("Must be constant!", 7)) << list << "\n" << r.report;
    EXPECT_EQ(r.error_count, 1) << list << "\n" << r.report;
  }
}

}  // namespace
}  // namespace qbc::test
