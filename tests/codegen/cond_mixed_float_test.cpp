// Conditions with an integer of any width on the left and a float on the right compare
// in float: the fraction of the right operand decides (5 < 5.5, -5 > -5.5), in If and in
// the loop conditions, against float variables, locals and numbers with a decimal point.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

struct Case {
  const char* left;   // variable holding the integer
  const char* rel;
  const char* right;  // a float variable or a number
  bool holds;
};

TEST(MixedFloatCondition, IntegerOnTheLeftComparesInFloat) {
  // b = 5 (byte), i = -5 (integer), w = 5 (word), l = 5, n = -5 (long); f = 5.5, g = -5.5
  const std::vector<Case> cases = {
      {"l", "<", "f", true},     {"l", "=", "f", false},    {"l", ">=", "f", false},  {"l", "<>", "f", true},
      {"b", "<", "f", true},     {"b", "=", "f", false},    {"w", "<", "f", true},    {"w", ">", "f", false},
      {"i", ">", "g", true},     {"i", "<=", "g", false},   {"n", ">", "g", true},    {"n", "=", "g", false},
      {"i", ">", "-5.5", true},  {"l", "<", "5.5", true},   {"l", "=", "5.5", false}, {"b", "<=", "4.5", false},
      {"w", ">", "4.9", true},   {"n", "<", "-4.5", true},  {"l", "=", "h", true},    {"i", "<", "g", false},
  };
  std::string src =
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim b As Byte, i As Integer, w As Word, l As Long, n As Long\n"
      "Dim f As Float, g As Float, h As Float\n";
  src += "Dim r(" + std::to_string(cases.size() + 3) + ") As Byte\n";  // elements 0 to loops + 1
  src += "b = 5 : i = -5 : w = 5 : l = 5 : n = -5 : f = 5.5 : g = -5.5 : h = 5\n";
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    src += "r(" + std::to_string(k + 1) + ") = 0\nIf " + std::string(c.left) + " " + c.rel + " " + c.right + " Then r(" + std::to_string(k + 1) + ") = 1\n";
  }
  // The loop conditions: While runs while 5 < f (f drops by one each turn); Do ... Loop
  // While runs while -5 > g (g rises by one from -6.5).
  const std::size_t loops = cases.size() + 1;
  src += "r(" + std::to_string(loops) + ") = 0 : r(" + std::to_string(loops + 1) + ") = 0\n";
  src += "While l < f\n  f = f - 1\n  r(" + std::to_string(loops) + ") = r(" + std::to_string(loops) + ") + 1\nWend\n";
  src += "g = -6.5\nDo\n  g = g + 1\n  r(" + std::to_string(loops + 1) + ") = r(" + std::to_string(loops + 1) +
         ") + 1\nLoop While i > g\n";
  src += "End\n";
  auto run = RunBasic(src, "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    EXPECT_EQ(run->Byte("r", static_cast<int>(k + 1)), c.holds ? 1 : 0)
        << c.left << " " << c.rel << " " << c.right;
  }
  EXPECT_EQ(run->Byte("r", static_cast<int>(loops)), 1) << "5 < 5.5 runs the While once";
  EXPECT_EQ(run->Byte("r", static_cast<int>(loops + 1)), 2) << "-5 > -5.5 holds: the Do runs twice";
}

// A float local compared with an integer parameter inside a procedure.
TEST(MixedFloatCondition, ParametersAndLocals) {
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 40\n"
      "Dim res1 As Byte, res2 As Byte\n"
      "Declare Function Below(k As Integer) As Byte\n"
      "res1 = Below(-3)\nres2 = Below(-2)\nEnd\n"
      "Function Below(k As Integer) As Byte\n  Local x As Float\n  Local r As Byte\n  x = -2.5\n"
      "  r = 0\n  If k = x Then r = 1\n  If k < x Then r = r + 2\n  Return r\nEnd Function\n",
      "atmega8");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("res1"), 2);
  EXPECT_EQ(run->Byte("res2"), 0) << "-2 is neither equal to -2.5 nor below it";
}

}  // namespace
}  // namespace qbc::test
