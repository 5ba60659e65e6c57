// Str of a float in BASIC programs: compiled by the compiler, assembled, run on the
// simulator; the strings hold the texts of the float-to-text routines (scientific, and
// fixed-point under $leadchar ..., format(places, decimals)).
#include <gtest/gtest.h>

#include <cstdio>
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

int CodeWords(const BasicRun& run) {
  const std::string& out = run.assembled.output;
  const auto at = out.find("Code");
  int words = 0;
  if (at != std::string::npos) std::sscanf(out.c_str() + out.find(':', at) + 1, "%d", &words);
  return words;
}

// Print of a float sends the exact digits, and the text routine comes alone: no power,
// logarithm, exponential, polynomial or fraction routine with it, and the first Print of
// a float adds less than the 1,376 bytes it took when those came along.
TEST(FloatTextProgram, PrintSendsExactDigitsWithTheTextRoutineAlone) {
  const std::string head =
      "$device = m8\n$clock = 8\n$stack = 32\n$baud = 9600\nDim F As Float\nDim S As String * 4\n"
      "F = 1.5\nS = \"a\"\nPrint S\n";
  std::string src = head;
  for (const char* literal : {"500.0", "65535.0", "100000.0", "1e10", "99.99", "-2.5"})
    src += "F = " + std::string(literal) + "\nPrint F\n";
  auto run = RunBasic(src + "End\n", "atmega8", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->sim->Output(),
            "a\r\n 5.000000E+02\r\n 6.553500E+04\r\n 1.000000E+05\r\n 1.000000E+10\r\n 9.999000E+01\r\n"
            "-2.500000E+00\r\n");
  for (const char* label : {"_Fpow:", "_Flog:", "_Fexp:", "_Fpot:", "_Fmodf:", "_Fmul:", "_Fadd:"})
    EXPECT_EQ(run->compiled.asm_text.find(label), std::string::npos) << label;
  auto with = RunBasic(head + "Print F\nEnd\n", "atmega8", 20'000'000);
  auto without = RunBasic(head + "End\n", "atmega8", 20'000'000);
  ASSERT_TRUE(with->ok && without->ok) << with->Diagnostics() << without->Diagnostics();
  const int added = 2 * (CodeWords(*with) - CodeWords(*without));
  EXPECT_GT(added, 0);
  EXPECT_LT(added, 1376) << "bytes the first Print of a float adds";
}

}  // namespace
}  // namespace qbc::test::floatfn
