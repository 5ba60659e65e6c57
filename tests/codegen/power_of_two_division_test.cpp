// X / 2^k and X Mod 2^k by a constant are shifts and a mask, no division: the same
// quotients and remainders as the division routines give, for every Byte and a spread of
// Words, Integers and Longs (negative ones among them) at every k, held to the host's
// numbers on the simulator. A signed quotient is cut toward zero and a signed remainder is
// that of the magnitudes, as the routines give them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

// Every value of the loop (X = first, first + step, ... while the counter runs) divided by
// each power of two written as a constant and by the same number held in D (the division
// routine): the sums of both must equal the host's, and no value may differ. `bits` is the
// type's width; a signed type's powers go up to 2^(bits - 2).
std::string Program(const char* type, int bits, bool isSigned, long long first, int count, int step) {
  const int top = isSigned ? bits - 1 : bits;
  std::string src = "$device = m128\n$clock = 8\n$stack = 64\n";
  src += std::string("Dim X As ") + type + " , D As " + type + " , R As " + type + " , Q As " + type + "\n";
  src += "Dim N As Word , Bad As Word , SumQ As Long , SumR As Long\n";
  src += "Bad = 0 : SumQ = 0 : SumR = 0\n";
  for (int k = 1; k < top; ++k) {
    const std::string p = std::to_string(1LL << k);
    src += "X = " + std::to_string(first) + " : D = " + p + "\nFor N = 1 To " + std::to_string(count) + "\n";
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

void Expect(const char* type, int bits, bool isSigned, long long first, int count, int step) {
  const std::string src = Program(type, bits, isSigned, first, count, step);
  auto run = RunBasic(src, "m128", 400'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  std::uint32_t sumQ = 0, sumR = 0;
  const int top = isSigned ? bits - 1 : bits;
  for (int k = 1; k < top; ++k) {
    long long x = first;
    for (int n = 0; n < count; ++n) {
      // the value as the type holds it
      const unsigned long long mask = bits == 64 ? ~0ULL : (1ULL << bits) - 1;
      unsigned long long u = static_cast<unsigned long long>(x) & mask;
      long long v = static_cast<long long>(u);
      if (isSigned && (u >> (bits - 1)) != 0) v -= 1LL << bits;
      const long long d = 1LL << k;
      sumQ += static_cast<std::uint32_t>(v / d);
      sumR += static_cast<std::uint32_t>(std::llabs(v) % d);
      x = v + step;
    }
  }
  EXPECT_EQ(run->Word("bad"), 0);
  EXPECT_EQ(run->Long("sumq"), sumQ);
  EXPECT_EQ(run->Long("sumr"), sumR);
}

TEST(PowerOfTwoDivision, EveryByteAtEveryShift) { Expect("Byte", 8, false, 0, 256, 1); }

TEST(PowerOfTwoDivision, WordsAcrossTheirRangeAtEveryShift) { Expect("Word", 16, false, 0, 700, 97); }

// Integers and Longs from the most negative value up across zero.
TEST(PowerOfTwoDivision, IntegersAcrossTheirRangeAtEveryShift) { Expect("Integer", 16, true, -32768, 700, 97); }

TEST(PowerOfTwoDivision, LongsAcrossTheirRangeAtEveryShift) {
  Expect("Long", 32, true, -2147483648LL, 120, 35791394);
}

// No division routine for a power of two the type holds; one that is no power of two, a
// negative one and one beyond the type (2^15 into an Integer's registers is negative) are
// still divided.
TEST(PowerOfTwoDivision, OnlyPowersOfTwoTheTypeHoldsShift) {
  struct Case {
    const char* line;
    bool divides;
  };
  const Case cases[] = {{"B = B / 4", false},       {"B = B Mod 128", false},     {"W = W / 4096", false},
                        {"W = W Mod 1024", false},  {"I = I / 4", false},         {"I = I Mod 16384", false},
                        {"L = L / 4", false},       {"L = L Mod 1073741824", false}, {"B = B / 6", true},
                        {"W = W Mod 3", true},      {"I = I / -4", true},         {"L = L / 12", true}};
  for (const Case& c : cases) {
    const CompiledBasic out = CompileBasic(std::string("$device = m8\n$clock = 8\n$stack = 32\n") +
                                           "Dim I As Integer , B As Byte , W As Word , L As Long\n" + c.line +
                                           "\nEnd\n");
    EXPECT_EQ(out.error_count, 0) << c.line << out.report;
    EXPECT_EQ(out.asm_text.find("call\tD") != std::string::npos, c.divides) << c.line;
  }
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\nDim I As Integer , J As Integer , K As Integer , L As Long , M As Long\n"
      "I = -7\nJ = I / 4\nK = I Mod 4\nL = -70001\nM = L / 256\nEnd\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->Integer("j"), -1);
  EXPECT_EQ(run->Integer("k"), 3);
  EXPECT_EQ(static_cast<std::int32_t>(run->Long("m")), -273);
}

}  // namespace
}  // namespace qbc::test
