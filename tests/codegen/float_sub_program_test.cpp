// Float subtraction and negation in BASIC programs on the simulator: x - y against the
// host's float arithmetic, bit for bit, and the zero that equal operands or a negated zero
// give (+0, which compares equal to 0).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

constexpr std::uint32_t kQuietNan = 0x7FC00000u;

bool IsSpecial(std::uint32_t bits) { return ((bits >> 23) & 0xFF) == 0xFF; }

// The float library's answer for x - y: the host's difference rounded to nearest, with
// every zero (and every result below the smallest normal number) +0; an infinite or NaN
// operand and an overflow give the NaN pattern, whose top 16 bits are 0xFFC0.
struct Expected {
  bool nan = false;
  std::uint32_t bits = 0;
};
Expected HostSub(std::uint32_t x, std::uint32_t y) {
  if (IsSpecial(x) || IsSpecial(y)) return {true, 0};
  const float d = std::bit_cast<float>(x) - std::bit_cast<float>(y);
  if (std::isinf(d)) return {true, 0};
  if (std::fabs(d) < 1.17549435e-38f) return {false, 0};
  return {false, std::bit_cast<std::uint32_t>(d)};
}

// Operand pairs: equal values, zeros of both signs, both signs, close values (heavy
// cancellation), far-apart exponents, NaN and infinity, and random normal numbers.
std::vector<std::pair<std::uint32_t, std::uint32_t>> SubCases() {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> c = {
      {0x40200000u, 0x40200000u},  // 2.5 - 2.5
      {0xC0200000u, 0xC0200000u},  // -2.5 - -2.5
      {0x00000000u, 0x00000000u},  {0x80000000u, 0x80000000u},
      {0x00000000u, 0x80000000u},  {0x80000000u, 0x00000000u},
      {0x3F800000u, 0x00000000u},  {0x00000000u, 0x3F800000u},
      {0x80000000u, 0xBF800000u},  {0xBF800000u, 0x80000000u},
      {0x3F800000u, 0x40000000u},  // 1 - 2
      {0x40000000u, 0x3F800000u},  // 2 - 1
      {0x3F800000u, 0xBF800000u},  // 1 - -1
      {0xBF800000u, 0x3F800000u},  // -1 - 1
      {0x3F800001u, 0x3F800000u},  {0x3F800000u, 0x3F800001u},
      {0x00800000u, 0x00800001u},  // a difference below the smallest normal number
      {0x4B800000u, 0x3F800000u},  // 2^24 - 1
      {0x4B800000u, 0xBF800000u},  // 2^24 + 1, a tie rounded to even
      {0x7F7FFFFFu, 0xFF7FFFFFu},  // overflow
      {kQuietNan, 0x3F800000u},    {0x3F800000u, kQuietNan},
      {0x7F800000u, 0x3F800000u},  {0x3F800000u, 0xFF800000u},
  };
  std::mt19937 rng(20261209);
  auto normal = [&](int lo, int hi) {
    const std::uint32_t e = static_cast<std::uint32_t>(std::uniform_int_distribution<int>(lo, hi)(rng));
    return (rng() & 0x807FFFFFu) | (e << 23);
  };
  while (c.size() < 200) {
    const std::uint32_t x = normal(1, 254);
    switch (rng() % 4) {
      case 0: c.push_back({x, normal(1, 254)}); break;
      case 1: c.push_back({x, x}); break;
      case 2: c.push_back({x, x ^ (rng() & 0x3Fu)}); break;
      default: c.push_back({x, x ^ 0x80000000u ^ (rng() & 0xFFu)}); break;
    }
  }
  return c;
}

// The program waits with K = 1 until the test has stored a batch of operands in X and Y
// and cleared K, then stores X(i) - Y(i) in R(i) and waits again.
constexpr int kBatch = 40;
const char* const kBatchProgram =
    "$device = m8\n$clock = 8\n$stack = 32\n"
    "Dim X(40) As Float\nDim Y(40) As Float\nDim R(40) As Float\nDim I As Byte\nDim K As Byte\n"
    "Do\n"
    "  K = 1\n"
    "  While K = 1\n"
    "  Wend\n"
    "  For I = 0 To 39\n"
    "    R(I) = X(I) - Y(I)\n"
    "  Next\n"
    "Loop\n";

void PutLong(SimRunner& sim, std::uint32_t addr, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) sim.SetSram(addr + i, static_cast<std::uint8_t>(v >> (8 * i)));
}

TEST(FloatSubProgram, DifferencesMatchTheHostBitForBit) {
  auto run = RunBasic(kBatchProgram, "m8", 50'000);
  ASSERT_EQ(run->stop, SimStop::CycleCap) << run->Diagnostics();
  SimRunner& sim = *run->sim;
  ASSERT_EQ(run->Byte("k"), 1);
  const std::uint32_t xs = run->Address("x_"), ys = run->Address("y_"), rs = run->Address("r");
  const auto cases = SubCases();
  for (std::size_t base = 0; base < cases.size(); base += kBatch) {
    for (int i = 0; i < kBatch; ++i) {
      const auto& [x, y] = cases[(base + i) % cases.size()];
      PutLong(sim, xs + 4 * i, x);
      PutLong(sim, ys + 4 * i, y);
      PutLong(sim, rs + 4 * i, 0x12345678u);
    }
    sim.SetSram(run->Address("k"), 0);
    sim.Run(400'000);
    ASSERT_EQ(run->Byte("k"), 1) << "the batch did not finish";
    for (int i = 0; i < kBatch; ++i) {
      const auto& [x, y] = cases[(base + i) % cases.size()];
      const std::uint32_t got = sim.SramLong(rs + 4 * i);
      const Expected want = HostSub(x, y);
      if (want.nan)
        EXPECT_EQ(got >> 16, 0xFFC0u) << std::hex << x << " - " << y << " gave " << got;
      else
        EXPECT_EQ(got, want.bits) << std::hex << x << " - " << y;
    }
  }
}

// Equal operands give +0: it is stored as 0, compares equal to 0 and is not below 0; the
// operands as variables, literals, a product and a chain.
TEST(FloatSubProgram, EqualOperandsGivePlusZero) {
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim A As Float\nDim B As Float\nDim F As Float\nDim G As Float\nDim H As Float\n"
      "Dim P As Float\nDim Q As Float\nDim C As Float\nDim Iseq As Byte\nDim Isneg As Byte\nDim Iszero As Byte\n"
      "A = 2.5\nB = 2.5\nC = 1.5\nIseq = 0\nIsneg = 0\nIszero = 0\n"
      "F = A - A\nG = A - 2.5\nH = 2.5 - B\nP = A * B - 6.25\nQ = A - B - C\n"
      "If A - B = 0 Then Iseq = 1\n"
      "If A - B < 0 Then Isneg = 1\n"
      "If F = 0 Then Iszero = 1\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->FloatBits("f"), 0u);
  EXPECT_EQ(run->FloatBits("g"), 0u);
  EXPECT_EQ(run->FloatBits("h"), 0u);
  EXPECT_EQ(run->FloatBits("p"), 0u);
  EXPECT_EQ(run->FloatBits("q"), 0xBFC00000u);  // -1.5
  EXPECT_EQ(run->Byte("iseq"), 1);
  EXPECT_EQ(run->Byte("isneg"), 0);
  EXPECT_EQ(run->Byte("iszero"), 1);
}

// A unary minus flips the sign of every number but zero, which stays +0.
TEST(FloatSubProgram, NegatedZeroStaysPlusZero) {
  auto run = RunBasic(
      "$device = m8\n$clock = 8\n$stack = 32\n"
      "Dim A As Float\nDim B As Float\nDim C As Float\nDim D As Float\nDim E As Float\n"
      "Dim G As Float\nDim T As Float\nDim Iseq As Byte\nDim Iseq2 As Byte\n"
      "A = 0\nC = 2.5\nT = 1E-30\nIseq = 0\nIseq2 = 0\n"
      "B = -A\nD = -C\nE = -D\nG = -T\n"
      "If B = 0 Then Iseq = 1\n"
      "If -A = 0 Then Iseq2 = 1\n"
      "End\n");
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  EXPECT_EQ(run->FloatBits("b"), 0u);
  EXPECT_EQ(run->FloatBits("d"), 0xC0200000u);
  EXPECT_EQ(run->FloatBits("e"), 0x40200000u);
  ASSERT_NE(run->FloatBits("t"), 0u);
  EXPECT_EQ(run->FloatBits("g"), run->FloatBits("t") ^ 0x80000000u);
  EXPECT_EQ(run->Byte("iseq"), 1);
  EXPECT_EQ(run->Byte("iseq2"), 1);
}

}  // namespace
}  // namespace qbc::test
