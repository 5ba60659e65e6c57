// Str of a float in BASIC programs: compiled by the compiler, assembled, run on the
// simulator; the strings hold the texts of the float-to-text routines (scientific, and
// fixed-point under $leadchar ..., format(places, decimals)).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/float/float_func_model.h"
#include "tests/support/basic_program.h"

namespace qbc::test::floatfn {
namespace {

std::string Text(const BasicRun& run, const std::string& name) {
  std::string s;
  for (int i = 0; i < 40; ++i) {
    uint8_t b = run.Byte(name, i);
    if (!b) break;
    s += static_cast<char>(b);
  }
  return s;
}

struct ProgramCase {
  std::string mcu, device;
  std::string format;  // the $leadchar line, or empty
  std::vector<float> values;
  std::vector<std::string> literals;
};

void RunCase(const ProgramCase& c, int places, int decimals, char fill) {
  std::string src = "$device = " + c.device + "\n$clock = 8\n$stack = 32\n";
  if (!c.format.empty()) src += c.format + "\n";
  src += "Dim f As Float\n";
  for (size_t i = 0; i < c.values.size(); ++i) src += "Dim s" + std::to_string(i) + " As String * 16\n";
  for (size_t i = 0; i < c.values.size(); ++i)
    src += "f = " + c.literals[i] + "\ns" + std::to_string(i) + " = Str(f)\n";
  src += "End\n";
  auto run = RunBasic(src, c.mcu, 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (size_t i = 0; i < c.values.size(); ++i) {
    const float v = c.values[i];
    std::string want = places ? Dp(v, places, decimals, fill) : Str(v, decimals == 0 ? 6 : decimals);
    EXPECT_EQ(Text(*run, "s" + std::to_string(i)), want) << c.mcu << " " << c.format << " Str(" << c.literals[i] << ")";
  }
}

const std::vector<float> kValues = {3.14159f, -0.0123f, 9.9999999f, 0.0f, 65535.0f, 1.5e-7f};
const std::vector<std::string> kLiterals = {"3.14159", "-0.0123", "9.9999999", "0.0", "65535.0", "1.5e-7"};

TEST(FloatTextProgram, StrOfAFloatWithSixDecimals) {
  RunCase({"atmega8", "m8", "", kValues, kLiterals}, 0, 0, 0);
  RunCase({"atmega128", "m128", "", kValues, kLiterals}, 0, 0, 0);
}

TEST(FloatTextProgram, StrOfAFloatInScientificFormatWithTwoDecimals) {
  RunCase({"atmega8", "m8", "$leadchar = \" \", format(scientific, 2)", kValues, kLiterals}, 0, 2, ' ');
}

TEST(FloatTextProgram, StrOfAFloatInFixedPointFormat) {
  RunCase({"atmega8", "m8", "$leadchar = \"*\", format(2, 3)", kValues, kLiterals}, 2, 3, '*');
  RunCase({"atmega128", "m128", "$leadchar = \" \", format(5, 2)", kValues, kLiterals}, 5, 2, ' ');
}

// A program whose only float is a procedure's Local still gets the text cell that Str of
// it writes to (the head declares that cell only for floats declared before it).
TEST(FloatTextProgram, StrOfALocalFloatWhenNoOtherFloatIsDeclared) {
  const std::string src =
      "$device = m8\n$clock = 8\n$stack = 32\nDeclare Sub Show()\nDim S As String * 16\nShow()\nEnd\n"
      "Sub Show()\n  Local F As Float\n  F = 2.5\n  S = Str(F)\nEnd Sub\n";
  auto run = RunBasic(src, "atmega8", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(Text(*run, "s"), Str(2.5f, 6));
}

}  // namespace
}  // namespace qbc::test::floatfn
