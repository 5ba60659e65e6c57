// The float-to-text method on the host: the table of powers of ten and the exponent
// product behind it, and the model of the routine's integer steps against exact decimal
// rounding, for a million sampled floats and decimal counts and for the values whose
// rounding is hard. Every positive finite float at every decimal count runs when
// QBC_EXHAUSTIVE_TESTS is set (some minutes on eight cores).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "compiler/library/core/float_text_scale.h"
#include "tests/float/float_text_exact.h"

namespace qbc::test::ftext {
namespace {

std::uint32_t BitsOf(float f) {
  std::uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

// floor(2^a / 10^k) for k >= 0, by long division (10^38 < 2^127).
u128 PowerOfTwoOverTen(int a, int k) {
  const u128 den = Pow5(k) << k;
  u128 q = 0, r = 1;
  for (int i = 0; i < a; ++i) {
    r <<= 1;
    q <<= 1;
    if (r >= den) {
      r -= den;
      q |= 1;
    }
  }
  return q;
}

// The least binary exponent whose floor(e2 * log10 2) is k.
int LeastExponentOf(int k) {
  for (int e2 = -126; e2 <= 127; ++e2)
    if (DecimalExponent(0x800000, e2) == k) return e2;
  return 999;
}

TEST(FloatTextModel, TableEntriesArePowersOfTenCutTo56Bits) {
  for (int i = 0; i < kFloatTextPowerCount; ++i) {
    const int k = i + kFloatTextFirstPower;
    const int a = 55 + LeastExponentOf(k);  // the entry is floor(10^-k * 2^a)
    u128 want;
    if (k <= 0) {
      const u128 p = Pow5(-k) << -k;  // 10^-k
      want = a >= 0 ? p << a : p >> -a;
    } else {
      want = PowerOfTwoOverTen(a, k);
    }
    EXPECT_EQ(static_cast<std::uint64_t>(want), kFloatTextPowers[static_cast<size_t>(i)]) << "k = " << k;
    EXPECT_GE(kFloatTextPowers[static_cast<size_t>(i)] >> 55, 1u) << "k = " << k;
    EXPECT_EQ(kFloatTextPowers[static_cast<size_t>(i)] >> 56, 0u) << "k = " << k;
  }
}

// The exponent product gives floor(e2 * log10 2) and e2 less the least exponent with the
// same decimal exponent, for every exponent field of a normal float.
TEST(FloatTextModel, ExponentProductGivesDecimalExponentAndShift) {
  for (std::uint32_t field = 1; field < 255; ++field) {
    const int e2 = static_cast<int>(field) - 127;
    const int k = DecimalExponent(0x800000, e2);
    const Scale s = ScaleOf(field);
    EXPECT_EQ(s.index + kFloatTextFirstPower, k) << "field " << field;
    EXPECT_EQ(s.delta, e2 - LeastExponentOf(k)) << "field " << field;
  }
}

void ExpectExact(std::uint32_t bits, unsigned d) {
  const Text model = FstrModel(bits, d), exact = ExactText(bits, d);
  char what[40];
  std::snprintf(what, sizeof what, "0x%08X with %u decimals", bits, d);
  EXPECT_EQ(model.Str(), exact.Str()) << what;
}

TEST(FloatTextModel, KnownTexts) {
  const struct {
    float f;
    unsigned d;
    const char* text;
  } known[] = {
      // printed 5.000001E+02, 6.553501E+04, 9.999989E+04, 9.999979E+09, 9.999002E+01 before
      {500.0f, 6, " 5.000000E+02"},
      {65535.0f, 6, " 6.553500E+04"},
      {100000.0f, 6, " 1.000000E+05"},
      {1e10f, 6, " 1.000000E+10"},
      {99.99f, 6, " 9.999000E+01"},
      {64.0f, 6, " 6.400000E+01"},
      // exact halves take the digits further from zero
      {2.5f, 0, " 3E+00"},
      {-2.5f, 0, "-3E+00"},
      {0.125f, 1, " 1.3E-01"},
      {25.0f, 0, " 3E+01"},
      {6351.5f, 3, " 6.352E+03"},
      // close to a half: 0.35f is 0.3499999940..., 0.15f 0.1500000059...
      {0.35f, 0, " 3E-01"},
      {0.15f, 0, " 2E-01"},
      // carries to the next power of ten
      {9.96f, 1, " 1.0E+01"},
      {99.99f, 1, " 1.0E+02"},
      {9999999.0f, 5, " 1.00000E+07"},
      // the ends of the range
      {3.4028235e38f, 6, " 3.402823E+38"},
      {1.17549435e-38f, 6, " 1.175494E-38"},
      {1.17549435e-38f, 0, " 1E-38"},
      {1e-38f, 2, " 0.00E+00"},  // a subnormal: the zero text, as before
  };
  for (const auto& k : known) {
    EXPECT_EQ(Fstr(BitsOf(k.f), k.d), k.text) << k.f << " with " << k.d << " decimals";
    ExpectExact(BitsOf(k.f), k.d);
  }
  EXPECT_EQ(Fstr(0x7F800000u, 2), "Err");
  EXPECT_EQ(Fstr(0x80000000u, 2), " 0.00E+00");
  EXPECT_EQ(Fstr(BitsOf(1.5f), 200), " 1.500000E+00");
}

// A million sampled floats and decimal counts (bit patterns of every exponent, so the
// whole range), then all the exact halves of 24-bit integers and the float neighbours
// of every power of ten.
TEST(FloatTextModel, SampledMillionMatchesExactRounding) {
  std::mt19937 rng(4646);
  for (int i = 0; i < 1000000; ++i) {
    const std::uint32_t bits = static_cast<std::uint32_t>(rng());
    const unsigned field = (bits >> 23) & 0xFF;
    if (field == 0 || field == 0xFF) continue;
    ExpectExact(bits, static_cast<unsigned>(i % 7));
    if (HasFailure()) return;
  }
  for (std::uint32_t n = 1; n < (1u << 22); n = n * 3 + 1) {
    const std::uint32_t half = BitsOf(static_cast<float>(n) + 0.5f);
    for (unsigned d = 0; d < 7; ++d) ExpectExact(half, d);
  }
  for (int k = -37; k <= 38; ++k) {
    const std::uint32_t p = BitsOf(std::stof("1e" + std::to_string(k)));
    for (std::uint32_t b = p - 2; b <= p + 2; ++b)
      for (unsigned d = 0; d < 7; ++d) ExpectExact(b, d);
  }
}

// Every positive normal float at every decimal count: no text differs from exact
// rounding. It also counts the cases where the fraction behind the digits came within
// 2^-24 of a half from below and the integer check decided, and how many of them were
// exact halves.
TEST(FloatTextModel, EveryPositiveFloatAtEveryDecimalCount) {
  if (!std::getenv("QBC_EXHAUSTIVE_TESTS")) GTEST_SKIP() << "set QBC_EXHAUSTIVE_TESTS=1 to run (minutes)";
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::atomic<std::uint64_t> wrong{0}, windows{0}, ties{0};
  std::atomic<std::uint32_t> first_wrong{0};
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      std::uint64_t my_wrong = 0, my_windows = 0, my_ties = 0;
      for (std::uint32_t bits = 0x00800000u + t; bits < 0x7F800000u; bits += threads) {
        for (unsigned d = 0; d < 7; ++d) {
          Decision how;
          if (!(FstrModel(bits, d, &how) == ExactText(bits, d))) {
            if (my_wrong++ == 0) first_wrong = bits;
          }
          my_windows += how.window;
          my_ties += how.tie;
        }
      }
      wrong += my_wrong;
      windows += my_windows;
      ties += my_ties;
    });
  }
  for (std::thread& th : pool) th.join();
  std::printf("  %llu cases the fraction left open, %llu of them exact halves\n",
              static_cast<unsigned long long>(windows.load()), static_cast<unsigned long long>(ties.load()));
  EXPECT_EQ(wrong.load(), 0u) << "the first: 0x" << std::hex << first_wrong.load();
}

}  // namespace
}  // namespace qbc::test::ftext
