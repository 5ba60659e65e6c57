// Programs whose only float work is arithmetic and comparison on Function results and
// integer literals: no float variable is loaded and no decimal literal appears, so nothing
// but the float operators themselves asks for the float core their routines call.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// Each condition holds for G() = 2 and H() = 3.
class FloatCoreLink : public ::testing::TestWithParam<const char*> {};

TEST_P(FloatCoreLink, AssemblesAndRuns) {
  const std::string src = std::string(
                              "$device = m8\n$clock = 8\n$stack = 32\n"
                              "Declare Function G() As Float\nDeclare Function H() As Float\n"
                              "Dim K As Byte\nK = 0\nIf ") +
                          GetParam() +
                          " Then K = 1\nEnd\n"
                          "Function G() As Float\nReturn 2\nEnd Function\n"
                          "Function H() As Float\nReturn 3\nEnd Function\n";
  auto run = RunBasic(src);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Byte("k"), 1) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Shapes, FloatCoreLink,
                         ::testing::Values("G() < H()", "G() > 1", "G() + H() = 5", "H() - G() = 1",
                                           "G() * H() = 6", "H() / G() > 1"));

}  // namespace
}  // namespace qbc::test
