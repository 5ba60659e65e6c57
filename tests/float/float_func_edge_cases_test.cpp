// Special cases of the float functions on the simulator: exits, range limits, NaN, the
// negative base of the power, the end of the square root's iteration, the fraction split's
// stored integer part, and the device forms of the table reads.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"

namespace qbc::test::floatfn {
namespace {

// Expected outcome: a value (bit exact), NaN, or "within tol of" a value.
struct Expect {
  float value;
  bool nan = false;
  double tol = 0;  // 0: bit exact
};
Expect Exactly(float v) { return {v, false, 0}; }
Expect Near(float v, double tol) { return {v, false, tol}; }
Expect IsNaN() { return {0, true, 0}; }

void Check(const std::string& what, float r, const Expect& e) {
  if (e.nan || IsNan(e.value)) {
    EXPECT_TRUE(IsNan(r)) << what << " = " << r << " " << Hex(r) << ", expected NaN";
  } else if (e.tol == 0) {
    EXPECT_EQ(Bits(r), Bits(e.value)) << what << " = " << r << " " << Hex(r) << ", expected " << e.value << " "
                                      << Hex(e.value);
  } else {
    EXPECT_NEAR(r, e.value, e.tol) << what;
  }
}

struct U {
  const char* label;
  float x;
  Expect e;
  float (*model)(float);
};

void RunUnaryTable(const std::vector<U>& t, const FloatChip& chip = kMega128) {
  // One fixture per routine label.
  for (size_t i = 0; i < t.size();) {
    size_t j = i;
    std::vector<std::vector<uint8_t>> cases;
    while (j < t.size() && std::string(t[j].label) == t[i].label) cases.push_back(FloatBytes(t[j++].x));
    auto out = RunCases(chip, t[i].label, CaseKind::Unary, cases);
    ASSERT_EQ(out.size(), j - i);
    for (size_t k = i; k < j; ++k) {
      float r = FloatAt(out[k - i], 0);
      std::string what = std::string(t[k].label) + "(" + std::to_string(t[k].x) + " " + Hex(t[k].x) + ")";
      Check(what, r, t[k].e);
      EXPECT_TRUE(SameFloat(r, t[k].model(t[k].x))) << what << " differs from the model";
      EXPECT_EQ(out[k - i][4], 0) << what << " changed a register it must keep";
    }
    i = j;
  }
}

const float kNaN = FromBits(0x7FC00000);
const float kMinusNaN = FromBits(0xFFC00000);
const float kInf = FromBits(0x7F800000);

TEST(FloatFunctionSpecialCases, UnaryExitsAndLimits) {
  const float pi = kPi, half_pi = kHalfPi;
  RunUnaryTable({
      // sine and cosine: tiny arguments are their own sine, odd symmetry
      {"_Fsin", 1e-4f, Exactly(1e-4f), Sinf},
      {"_Fsin", -1e-4f, Exactly(-1e-4f), Sinf},
      {"_Fsin", 0.0f, Exactly(0.0f), Sinf},
      {"_Fsin", 1.0f, Near(std::sin(1.0), 2e-7), Sinf},
      {"_Fsin", -1.0f, Exactly(-Sinf(1.0f)), Sinf},
      {"_Fsin", half_pi, Near(1.0f, 1e-7), Sinf},
      {"_Fsin", kNaN, IsNaN(), Sinf},
      {"_Fcos", 0.0f, Near(1.0f, 1e-7), Cosf},
      {"_Fcos", pi, Near(-1.0f, 1e-7), Cosf},
      {"_Fcos", -2.0f, Exactly(Cosf(2.0f)), Cosf},
      {"_Fcos", 100.0f, Near(std::cos(100.0), 2e-5), Cosf},
      // tangent: pi/2 after the reduction is NaN
      {"_Ftan", half_pi, IsNaN(), Tanf},
      {"_Ftan", half_pi + pi, IsNaN(), Tanf},
      {"_Ftan", 1e-5f, Exactly(1e-5f), Tanf},
      {"_Ftan", -0.5f, Near(std::tan(-0.5), 2e-7), Tanf},
      {"_Ftan", 1.0f, Near(std::tan(1.0), 4e-7), Tanf},
      // arcsine and arccosine: 1.0 is computed, just above is NaN
      {"_FASin", 1.0f, Near(std::asin(1.0), 2e-7), Asinf},
      {"_FASin", -1.0f, Near(-std::asin(1.0), 2e-7), Asinf},
      {"_FASin", FromBits(0x3F800001), IsNaN(), Asinf},
      {"_FASin", -1.5f, IsNaN(), Asinf},
      {"_FASin", 0.0f, Exactly(0.0f), Asinf},
      {"_FASin", kNaN, IsNaN(), Asinf},
      {"_FACos", 1.0f, Exactly(0.0f), Acosf},
      {"_FACos", -1.0f, Near(std::acos(-1.0), 3e-7), Acosf},
      {"_FACos", 0.0f, Exactly(half_pi), Acosf},
      {"_FACos", FromBits(0x3F800001), IsNaN(), Acosf},
      {"_FACos", kNaN, IsNaN(), Acosf},
      // arctangent
      {"_FAtan", 1.0f, Near(std::atan(1.0), 1e-7), Atanf},
      {"_FAtan", -1e30f, Near(-std::atan(1e30), 2e-7), Atanf},
      {"_FAtan", 0.0f, Exactly(0.0f), Atanf},
      // exponential: range ends
      {"_Fexp", 88.8f, IsNaN(), Expf},
      {"_Fexp", FromBits(0x42B17218), IsNaN(), Expf},
      {"_Fexp", FromBits(0x42B17217), Near(3.4027e38f, 1e34), Expf},
      {"_Fexp", -87.4f, Exactly(0.0f), Expf},
      // (and far beyond: the scaling, from 256 on without the kernel's reduction)
      {"_Fexp", 300.0f, IsNaN(), Expf},
      {"_Fexp", -300.0f, Exactly(0.0f), Expf},
      {"_Fexp", -1e30f, Exactly(0.0f), Expf},
      {"_Fexp", -87.3f, Near(std::exp(-87.3), 1e-42), Expf},
      {"_Fexp", 0.0f, Exactly(1.0f), Expf},
      {"_Fexp", 1.0f, Near(std::exp(1.0), 3e-7), Expf},
      // a negative argument is worked as it is (e^-2.5 correctly rounded; the reciprocal of
      // e^2.5 was a unit above)
      {"_Fexp", -2.5f, Exactly(FromBits(0x3DA81C2E)), Expf},
      {"_Fexp", kNaN, IsNaN(), Expf},
      {"_Fexp", kMinusNaN, IsNaN(), Expf},
      {"_Fexp", kInf, IsNaN(), Expf},
      // logarithms: zero and negative arguments are NaN
      {"_Fln", 0.0f, IsNaN(), Lnf},
      {"_Fln", -1.0f, IsNaN(), Lnf},
      {"_Fln", -0.0f, IsNaN(), Lnf},
      {"_Fln", kNaN, IsNaN(), Lnf},
      {"_Fln", 1.0f, Exactly(0.0f), Lnf},
      {"_Fln", 2.0f, Exactly(kLn2), Lnf},
      {"_Fln", 0.25f, Exactly(Mul(-2.0f, kLn2)), Lnf},
      {"_Fln", FromBits(0x7F7FFFFF), Near(std::log(3.4028234e38), 2e-5), Lnf},
      {"_Fln", FromBits(0x00800000), Near(std::log(1.1754944e-38), 2e-5), Lnf},
      {"_Flog", 100.0f, Near(2.0f, 2.5e-7), Log10f},
      {"_Flog", 0.001f, Near(-3.0f, 5e-7), Log10f},
      {"_Flog", 0.0f, IsNaN(), Log10f},
      // square root
      {"_Fsqrt", 0.0f, Exactly(0.0f), Sqrtf},
      {"_Fsqrt", -0.0f, Exactly(0.0f), Sqrtf},
      {"_Fsqrt", -4.0f, IsNaN(), Sqrtf},
      {"_Fsqrt", kNaN, IsNaN(), Sqrtf},
      {"_Fsqrt", 4.0f, Exactly(2.0f), Sqrtf},
      {"_Fsqrt", 2.0f, Exactly(std::sqrt(2.0f)), Sqrtf},
      {"_Fsqrt", FromBits(0x7F7FFFFF), Near(std::sqrt(FromBits(0x7F7FFFFF)), 1.1e12), Sqrtf},  // 1 ulp
      {"_Fsqrt", FromBits(0x00800000), Exactly(std::sqrt(FromBits(0x00800000))), Sqrtf},
      {"_Fsqrt", FromBits(0x407FFFFF), Near(std::sqrt(FromBits(0x407FFFFF)), 1.2e-7), Sqrtf},  // 1 ulp
      // hyperbolic functions
      {"_Ftanh", 10.0f, Exactly(1.0f), Tanhf},
      {"_Ftanh", -10.0f, Exactly(-1.0f), Tanhf},
      // tanh rounds to 1.0 from 13 ln 2 = 9.0109133 on; below it is 1 - 2^-24 or less
      {"_Ftanh", FromBits(0x41051593), Exactly(FromBits(0x3F7FFFFE)), Tanhf},
      {"_Ftanh", FromBits(0x41102CB3), Exactly(FromBits(0x3F7FFFFF)), Tanhf},
      {"_Ftanh", FromBits(0x41102CB4), Exactly(1.0f), Tanhf},
      {"_Ftanh", 0.0f, Exactly(0.0f), Tanhf},
      {"_Ftanh", kNaN, IsNaN(), Tanhf},
      {"_Fsinh", 0.0f, Exactly(0.0f), Sinhf},
      {"_Fsinh", 2.0f, Near(std::sinh(2.0), 1e-6), Sinhf},
      {"_Fsinh", -2.0f, Near(std::sinh(-2.0), 1e-6), Sinhf},
      {"_Fcosh", 0.0f, Exactly(1.0f), Coshf},
      {"_Fcosh", -3.0f, Near(std::cosh(-3.0), 3e-6), Coshf},
      // e^x / 2 fits the floats up to 89.41599: cosh and sinh there, NaN beyond
      {"_Fcosh", 89.0f, Exactly(FromBits(0x7F28E166)), Coshf},
      {"_Fcosh", -89.0f, Exactly(FromBits(0x7F28E166)), Coshf},
      {"_Fcosh", FromBits(0x42B2D4FC), Near(3.4028e38f, 1e34), Coshf},
      {"_Fcosh", FromBits(0x42B2D4FD), IsNaN(), Coshf},
      {"_Fsinh", FromBits(0xC2B2D4FC), Near(-3.4028e38f, 1e34), Sinhf},
      {"_Fsinh", FromBits(0x42B2D4FD), IsNaN(), Sinhf},
      {"_Fsinh", kNaN, IsNaN(), Sinhf},
      {"_Fcosh", kNaN, IsNaN(), Coshf},
  });
}

struct B {
  const char* label;
  float a, b;
  Expect e;
  float (*model)(float, float);
};

void RunBinaryTable(const std::vector<B>& t) {
  for (size_t i = 0; i < t.size();) {
    size_t j = i;
    std::vector<std::vector<uint8_t>> cases;
    while (j < t.size() && std::string(t[j].label) == t[i].label) {
      auto v = FloatBytes(t[j].a);
      auto w = FloatBytes(t[j].b);
      v.insert(v.end(), w.begin(), w.end());
      cases.push_back(v);
      ++j;
    }
    auto out = RunCases(kMega128, t[i].label, CaseKind::Binary, cases);
    ASSERT_EQ(out.size(), j - i);
    for (size_t k = i; k < j; ++k) {
      float r = FloatAt(out[k - i], 0);
      std::string what = std::string(t[k].label) + "(" + std::to_string(t[k].a) + ", " + std::to_string(t[k].b) + ")";
      Check(what, r, t[k].e);
      EXPECT_TRUE(SameFloat(r, t[k].model(t[k].a, t[k].b))) << what << " differs from the model";
      EXPECT_EQ(out[k - i][4], 0) << what << " changed a register it must keep";
    }
    i = j;
  }
}

TEST(FloatFunctionSpecialCases, BinaryExits) {
  RunBinaryTable({
      // power: zero exponent, zero base, negative base (ends: NaN or a signed power)
      {"_Fpow", 5.0f, 0.0f, Exactly(1.0f), Powf},
      {"_Fpow", -5.0f, 0.0f, Exactly(1.0f), Powf},
      {"_Fpow", 0.0f, 0.0f, Exactly(1.0f), Powf},
      {"_Fpow", 0.0f, 2.0f, Exactly(0.0f), Powf},
      {"_Fpow", 0.0f, -2.0f, IsNaN(), Powf},
      {"_Fpow", 2.0f, 10.0f, Near(1024.0f, 2e-3), Powf},
      {"_Fpow", -2.0f, 3.0f, Near(-8.0f, 1e-5), Powf},
      {"_Fpow", -2.0f, 2.0f, Near(4.0f, 1e-5), Powf},
      {"_Fpow", -2.0f, -1.0f, Near(-0.5f, 1e-6), Powf},
      {"_Fpow", -1.0f, 1.0f, Exactly(-1.0f), Powf},
      {"_Fpow", 1.0f, 1e30f, Exactly(1.0f), Powf},
      {"_Fpow", 2.0f, 0.5f, Near(std::sqrt(2.0), 3e-7), Powf},
      {"_Fpow", -2.0f, 0.5f, IsNaN(), Powf},
      {"_Fpow", -8.0f, 1.0f / 3.0f, IsNaN(), Powf},
      {"_Fpow", -3.0f, 2.5f, IsNaN(), Powf},
      {"_Fpow", -1.5f, 16777216.0f, Exactly(Powf(-1.5f, 16777216.0f)), Powf},  // 2^24: even
      {"_Fpow", -1.0f, 8388609.0f, Exactly(-1.0f), Powf},                     // 2^23 + 1: odd
      {"_Fpow", -1.0f, 8388608.5f, Exactly(Powf(-1.0f, 8388608.5f)), Powf},   // rounds to 2^23: even
      // a negative base's odd power below the floats is +0, as every zero result (-0 before)
      {"_Fpow", -1e-20f, 3.0f, Exactly(0.0f), Powf},
      {"_Fpow", -1e20f, -3.0f, Exactly(0.0f), Powf},
      {"_Fpow", -1e20f, 3.0f, IsNaN(), Powf},
      {"_Fpow", -2.0f, kNaN, IsNaN(), Powf},
      {"_Fpow", kMinusNaN, 2.0f, IsNaN(), Powf},
      {"_Fpow", 10.0f, -5.0f, Near(1e-5f, 1e-10), Powf},
      // two-argument arctangent: (y, x)
      {"_FAtan2", 0.0f, 0.0f, IsNaN(), Atan2f},
      {"_FAtan2", 0.0f, -1.0f, Exactly(kPi), Atan2f},
      {"_FAtan2", 0.0f, 2.0f, Exactly(0.0f), Atan2f},
      {"_FAtan2", 1.0f, 0.0f, Exactly(kHalfPi), Atan2f},
      {"_FAtan2", -1.0f, 0.0f, Exactly(Neg(kHalfPi)), Atan2f},
      {"_FAtan2", 1.0f, -0.0f, Exactly(kHalfPi), Atan2f},
      {"_FAtan2", 1.0f, -1.0f, Near(3 * std::atan(1.0), 3e-7), Atan2f},
      {"_FAtan2", -1.0f, -1.0f, Near(-3 * std::atan(1.0), 3e-7), Atan2f},
      {"_FAtan2", kNaN, 1.0f, IsNaN(), Atan2f},
      {"_FAtan2", 0.0f, kNaN, IsNaN(), Atan2f},
      // modulo: A's sign, B's sign ignored, B = 0 is NaN
      {"_Fmod", 7.0f, 3.0f, Near(1.0f, 1e-6), Mod},
      {"_Fmod", -7.0f, 3.0f, Near(-1.0f, 1e-6), Mod},
      {"_Fmod", 7.0f, -3.0f, Near(1.0f, 1e-6), Mod},
      {"_Fmod", 5.0f, 0.0f, IsNaN(), Mod},
      {"_Fmod", 5.0f, -0.0f, IsNaN(), Mod},
      {"_Fmod", 1.5f, 2.0f, Exactly(1.5f), Mod},
  });
}

TEST(FloatFunctionSpecialCases, FractionSplitStoresTheIntegerPart) {
  struct M {
    float x;
    bool store;
    float frac, ipart;  // ipart NaN: nothing stored (the slot keeps 0xeeeeeeee)
  };
  const std::vector<M> t = {
      {-2.5f, true, -0.5f, -2.0f},      {2.75f, true, 0.75f, 2.0f},   {0.25f, true, 0.25f, 0.0f},
      {-0.25f, true, -0.25f, 0.0f},     {0.0f, true, 0.0f, 0.0f},     {123456.5f, true, 0.5f, 123456.0f},
      {8388608.0f, true, 0.0f, 8388608.0f}, {1e20f, true, 0.0f, 1e20f}, {-3.0f, true, 0.0f, -3.0f},
      {-2.5f, false, -0.5f, FromBits(0xeeeeeeee)},
  };
  std::vector<std::vector<uint8_t>> cases;
  for (const M& m : t) {
    auto v = FloatBytes(m.x);
    v.push_back(m.store ? 1 : 0);
    cases.push_back(v);
  }
  auto out = RunCases(kMega128, "_Fmodf", CaseKind::Modf, cases);
  ASSERT_EQ(out.size(), t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    float ip = 0;
    float frac = Modf(t[i].x, &ip);
    EXPECT_EQ(Bits(FloatAt(out[i], 0)), Bits(t[i].frac)) << "fraction of " << t[i].x;
    EXPECT_EQ(Bits(FloatAt(out[i], 0)), Bits(frac)) << "fraction of " << t[i].x << " (model)";
    EXPECT_EQ(Bits(FloatAt(out[i], 4)), Bits(t[i].ipart)) << "integer part of " << t[i].x;
    EXPECT_EQ(out[i][8], 0) << "_Fmodf(" << t[i].x << ") changed a register it must keep";
  }
  // NaN: both parts NaN.
  auto nan = RunCases(kMega128, "_Fmodf", CaseKind::Modf, {{0x00, 0x00, 0xc0, 0x7f, 1}});
  ASSERT_EQ(nan.size(), 1u);
  EXPECT_TRUE(IsNan(FloatAt(nan[0], 0)));
  EXPECT_TRUE(IsNan(FloatAt(nan[0], 4)));
}

// Int and Fract split a float in its registers (no part is stored anywhere): exact, at
// every exponent from below 1 to past 2^23, for both signs, infinity and NaN, and for
// random bit patterns.
float WholePart(float x) {
  if (IsNan(x) || std::isinf(x)) return x;
  return std::fabs(x) < 1.0f ? 0.0f : std::trunc(x);
}
float FractionalPart(float x) { return x - WholePart(x); }

TEST(FloatFunctionSpecialCases, WholeAndFractionalPartsInTheRegisters) {
  std::vector<U> t;
  const float xs[] = {0.0f,      -0.0f,      0.25f,       -0.75f,      0.999999f,  1.0f,         -1.0f,
                      1.5f,      -2.5f,      -3.0f,       123.75f,     -7.5f,      4194303.5f,   8388607.5f,
                      -8388607.5f, 8388608.0f, 16777217.0f, 1e20f,     -1e-20f,    FromBits(1),  FromBits(0x7f800000),
                      FromBits(0xff800000), FromBits(0x7fc00000)};
  for (const float x : xs) {
    t.push_back({"_Fint", x, Exactly(WholePart(x)), WholePart});
  }
  for (const float x : xs) {
    t.push_back({"_Ffrac", x, std::isinf(x) ? IsNaN() : Exactly(FractionalPart(x)), FractionalPart});
  }
  std::mt19937 rng(51);
  for (const char* routine : {"_Fint", "_Ffrac"}) {
    for (int i = 0; i < 200; ++i) {
      // exponents around the range where the split happens
      const std::uint32_t bits = (rng() & 0x807FFFFF) | ((100u + rng() % 60u) << 23);
      const float x = FromBits(bits);
      const bool whole = std::string(routine) == "_Fint";
      t.push_back({routine, x, Exactly(whole ? WholePart(x) : FractionalPart(x)), whole ? WholePart : FractionalPart});
    }
  }
  RunUnaryTable(t);
}

// The square root and the power of a negative base end for every argument: random bit
// patterns.
TEST(FloatFunctionSpecialCases, SquareRootAndPowerEndOnRandomBitPatterns) {
  std::mt19937 rng(12345);
  std::vector<float> xs;
  for (int i = 0; i < 300; ++i) xs.push_back(FromBits(rng() & 0x7FFFFFFF));
  std::vector<std::vector<uint8_t>> cases;
  for (float x : xs) cases.push_back(FloatBytes(x));
  auto out = RunCases(kMega128, "_Fsqrt", CaseKind::Unary, cases);
  ASSERT_EQ(out.size(), xs.size());
  double worst = 0;
  for (size_t i = 0; i < xs.size(); ++i) {
    float r = FloatAt(out[i], 0);
    ASSERT_TRUE(SameFloat(r, Sqrtf(xs[i]))) << "sqrt " << Hex(xs[i]);
    if (Exp(xs[i]) != 0 && !IsNan(xs[i]))
      worst = std::max(worst, std::fabs(double(r) - std::sqrt(double(xs[i]))) / std::sqrt(double(xs[i])));
  }
  EXPECT_LE(worst, 1.2e-7);

  std::vector<std::vector<uint8_t>> pcases;
  std::vector<std::pair<float, float>> args;
  for (int i = 0; i < 120; ++i) {
    float a = -FromBits(0x3E000000 + (rng() % 0x02000000));  // -0.125 .. -8
    float b = (i % 3 == 0) ? static_cast<float>(static_cast<int>(rng() % 13) - 6)
                           : FromBits((rng() & 0x80000000) | (0x3C000000 + (rng() % 0x04000000)));
    args.push_back({a, b});
    auto v = FloatBytes(a);
    auto w = FloatBytes(b);
    v.insert(v.end(), w.begin(), w.end());
    pcases.push_back(v);
  }
  auto pout = RunCases(kMega128, "_Fpow", CaseKind::Binary, pcases);
  ASSERT_EQ(pout.size(), args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    float r = FloatAt(pout[i], 0);
    auto [a, b] = args[i];
    EXPECT_TRUE(SameFloat(r, Powf(a, b))) << "pow(" << a << ", " << b << ") = " << r;
    double ref = std::pow(double(a), double(b));
    if (std::isnan(ref)) {
      EXPECT_TRUE(IsNan(r)) << "pow(" << a << ", " << b << ")";
    } else if (std::fabs(ref) > 1e-30 && std::fabs(ref) < 1e30) {
      EXPECT_NEAR(r / ref, 1.0, 3e-6) << "pow(" << a << ", " << b << ")";
    }
  }
}

// The same functions on an ATmega8 (library below 8 KB, lpm Z+), with the older table
// read (lpm into r0, adiw, mov), with that and no multiplier (the classic core), and on an
// ATmega2560 with the library above 128 KB (RAMPZ 2, three-byte return addresses): the
// tables are read the same way, and the reduction of an angle by the bits of 2/pi
// multiplies the same way.
TEST(FloatFunctionSpecialCases, TableReadsInEveryDeviceForm) {
  for (const FloatChip* chip : {&kMega8, &kMega8PlainLpm, &kMega8Classic, &kMega2560}) {
    RunUnaryTable({{"_Fsin", 0.7f, Exactly(Sinf(0.7f)), Sinf},
                   {"_Fcos", 2.0f, Exactly(Cosf(2.0f)), Cosf},
                   {"_Ftan", 0.3f, Exactly(Tanf(0.3f)), Tanf},
                   {"_Fsin", 1000000.0f, Exactly(Sinf(1000000.0f)), Sinf},
                   {"_Ftan", 5311103.0f, Exactly(Tanf(5311103.0f)), Tanf},
                   {"_Fcos", -3.0e38f, Exactly(Cosf(-3.0e38f)), Cosf},
                   {"_Fsin", 7.72917986e28f, Exactly(Sinf(7.72917986e28f)), Sinf},
                   {"_FASin", 0.8f, Exactly(Asinf(0.8f)), Asinf},
                   {"_FAtan", 3.0f, Exactly(Atanf(3.0f)), Atanf},
                   {"_Fexp", 1.5f, Exactly(Expf(1.5f)), Expf},
                   {"_Fln", 7.0f, Exactly(Lnf(7.0f)), Lnf},
                   {"_Fln", -7.0f, IsNaN(), Lnf},
                   {"_Fsin", kNaN, IsNaN(), Sinf}},
                  *chip);
  }
}

}  // namespace
}  // namespace qbc::test::floatfn
