// X / 2^k and X Mod 2^k of a Byte or Word are shifts and a mask, no division: the same
// quotients and remainders as the division routines give, for every Byte and a spread of
// Words at every k, held to the host's numbers on the simulator.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// Every value of the loop (X = first, first + step, ... while the counter runs) divided by
// each power of two written as a constant and by the same number held in D (the division
// routine): the sums of both must equal the host's, and no value may differ.
std::string Program(const char* type, int bits, int count, int step) {
  std::string src = "$device = m128\n$clock = 8\n$stack = 64\n";
  src += std::string("Dim X As ") + type + " , D As " + type + " , R As " + type + " , Q As " + type + "\n";
  src += "Dim N As Word , Bad As Word , SumQ As Long , SumR As Long\n";
  src += "Bad = 0 : SumQ = 0 : SumR = 0\n";
  for (int k = 1; k < bits; ++k) {
    const std::string p = std::to_string(1L << k);
    src += "X = 0 : D = " + p + "\nFor N = 1 To " + std::to_string(count) + "\n";
    src += "  R = X / " + p + " : Q = X / D : If R <> Q Then Incr Bad\n";
    src += "  SumQ = SumQ + R\n";
    src += "  R = X Mod " + p + " : Q = X Mod D : If R <> Q Then Incr Bad\n";
    src += "  SumR = SumR + R\n";
    // (the value in the working registers, not loaded straight into the left ones)
    src += "  R = 0 + X / " + p + " : Q = X / D : If R <> Q Then Incr Bad\n";
    src += "  R = 0 + X Mod " + p + " : Q = X Mod D : If R <> Q Then Incr Bad\n";
    src += "  X = X + " + std::to_string(step) + "\nNext\n";
  }
  src += "End\n";
  return src;
}

void Expect(const char* type, int bits, int count, int step) {
  const std::string src = Program(type, bits, count, step);
  auto run = RunBasic(src, "m128", 200'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  std::uint32_t sumQ = 0, sumR = 0;
  const std::uint32_t mask = (1u << bits) - 1;
  std::uint32_t x = 0;
  for (int n = 0; n < count; ++n) {
    for (int k = 1; k < bits; ++k) {
      sumQ += x >> k;
      sumR += x & ((1u << k) - 1);
    }
    x = (x + static_cast<std::uint32_t>(step)) & mask;
  }
  EXPECT_EQ(run->Word("bad"), 0);
  EXPECT_EQ(run->Long("sumq"), sumQ);
  EXPECT_EQ(run->Long("sumr"), sumR);
}

TEST(PowerOfTwoDivision, EveryByteAtEveryShift) { Expect("Byte", 8, 256, 1); }

TEST(PowerOfTwoDivision, WordsAcrossTheirRangeAtEveryShift) { Expect("Word", 16, 700, 97); }

// No division routine for an unsigned value and a power of two; a signed value is still
// divided (its quotient rounds toward zero, which a shift does not: -7 / 4 is -1), and so
// is a constant that is no power of two.
TEST(PowerOfTwoDivision, OnlyUnsignedValuesAndPowersOfTwoShift) {
  struct Case {
    const char* line;
    bool divides;
  };
  const Case cases[] = {{"B = B / 4", false},  {"B = B Mod 128", false}, {"W = W / 4096", false},
                        {"W = W Mod 1024", false}, {"I = I / 4", true},    {"B = B / 6", true},
                        {"W = W Mod 3", true},     {"L = L / 4", true},    {"W = W / 65536", true}};
  for (const Case& c : cases) {
    const CompiledBasic out = CompileBasic(std::string("$device = m8\n$clock = 8\n$stack = 32\n") +
                                           "Dim I As Integer , B As Byte , W As Word , L As Long\n" + c.line +
                                           "\nEnd\n");
    EXPECT_EQ(out.error_count, 0) << c.line << out.report;
    EXPECT_EQ(out.asm_text.find("call\tD") != std::string::npos, c.divides) << c.line;
  }
  auto run = RunBasic("$device = m8\n$clock = 8\n$stack = 32\nDim I As Integer , J As Integer\nI = -7\nJ = I / 4\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Integer("j"), -1);
}

}  // namespace
}  // namespace qbc::test
