// The square root is correctly rounded: against the host's sqrtf over every mantissa of an
// even and an odd exponent and of the subnormal range (the digit-by-digit steps of the
// routine, run on the host), and the routine itself on the simulator over random operands
// from the whole range, the known answers and the special operands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"

namespace qbc::test::floatfn {
namespace {

// The routine's steps: x in [1, 4) with 2^-24 in bit 0, the remainder R and T = 2r in 32
// bits, 24 bits tried from 2^-1 down, the last one rounding. `bits` is a positive finite
// non-zero operand.
uint32_t DigitByDigitRoot(uint32_t bits) {
  uint32_t mant = bits & 0x7FFFFFu;
  int e = static_cast<int>((bits >> 23) & 0xFF);
  int half;  // floor((e - 1) / 2), subnormals counted below field 1
  bool odd;
  if (e == 0) {
    int n = 0;
    while (!(mant & 0x800000u)) {
      mant <<= 1;
      ++n;
    }
    half = -((n + 1) / 2);
    odd = n & 1;
  } else {
    mant |= 0x800000u;
    half = (e - 1) >> 1;
    odd = (e - 1) & 1;
  }
  uint32_t rem = (mant << (odd ? 2 : 1)) - (1u << 24);
  uint32_t t = 2u << 24;
  for (uint32_t m = 1u << 23; m; m >>= 1) {
    rem <<= 1;
    if (rem >= (t | m)) {
      rem -= t | m;
      t += 2 * m;
    }
  }
  const uint32_t root = (t + 2) >> 2;
  return (static_cast<uint32_t>(half + 64) << 23) + (root & 0x7FFFFFu);
}

void SweepMantissas(uint32_t field) {
  int wrong = 0;
  for (uint32_t m = field == 0 ? 1 : 0; m < (1u << 23); ++m) {
    const uint32_t x = (field << 23) | m;
    const uint32_t want = Bits(std::sqrt(FromBits(x)));
    const uint32_t got = DigitByDigitRoot(x);
    if (got != want && ++wrong <= 5) ADD_FAILURE() << "sqrt " << std::hex << x << " gives " << got << ", want " << want;
  }
  EXPECT_EQ(wrong, 0) << "exponent field " << field;
}

TEST(FloatSquareRoot, EveryMantissaOfAnEvenAndAnOddExponentAndOfTheSubnormals) {
  SweepMantissas(0x7F);  // [1, 2)
  SweepMantissas(0x80);  // [2, 4)
  SweepMantissas(0x00);  // subnormals
}

std::vector<float> RunSqrt(const FloatChip& chip, const std::vector<uint32_t>& xs) {
  std::vector<std::vector<uint8_t>> cases;
  for (uint32_t x : xs) cases.push_back(bench::LeBytes(x, 4));
  auto out = RunCases(chip, "_Fsqrt", CaseKind::Unary, cases);
  std::vector<float> r;
  for (size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i][4], 0) << "_Fsqrt(" << std::hex << xs[i] << ") changed a register it must keep";
    r.push_back(FloatAt(out[i], 0));
  }
  return r;
}

TEST(FloatSquareRoot, KnownAnswersAndSpecialOperands) {
  struct Case {
    uint32_t x, want;
  };
  const Case cases[] = {
      {0x40400000, 0x3FDDB3D7},  // sqrt 3, once 1 ulp high
      {0x40C00000, 0x401CC471},  // sqrt 6, once 1 ulp low
      {0x00000001, 0x1A3504F3},  // the smallest subnormal
      {0x007FFFFF, 0x1FFFFFFF},  // the largest subnormal
      {0x00200000, 0x1F800000},  // 2^-128
      {0x00800000, 0x20000000},  // the smallest normal
      {0x7F7FFFFF, 0x5F7FFFFF},  // the largest normal
      {0x3F800000, 0x3F800000},  // 1
      {0x40800000, 0x40000000},  // 4
      {0x3F800001, 0x3F800000},  // just above 1
      {0x407FFFFF, 0x3FFFFFFF},  // just below 4
      {0x00000000, 0x00000000},  // +0
      {0x80000000, 0x00000000},  // -0 gives +0
      {0x80000001, 0xFFC00001},  // negative subnormal: NaN (the low 16 bits of A kept)
      {0x807FFFFF, 0xFFC0FFFF},
      {0xC0800000, 0xFFC00000},  // -4
      {0xFF800000, 0xFFC00000},  // -infinity
      {0x7F800000, 0xFFC00000},  // infinity
      {0x7FC01234, 0xFFC01234},  // NaN
  };
  std::vector<uint32_t> xs;
  for (const Case& c : cases) xs.push_back(c.x);
  for (const FloatChip* chip : {&kMega8, &kMega2560}) {
    const auto r = RunSqrt(*chip, xs);
    ASSERT_EQ(r.size(), xs.size());
    for (size_t i = 0; i < xs.size(); ++i)
      EXPECT_EQ(Bits(r[i]), cases[i].want) << chip->mcu << " sqrt " << std::hex << xs[i];
  }
}

TEST(FloatSquareRoot, RandomOperandsOverTheWholeRange) {
  std::mt19937 rng(2027);
  std::vector<uint32_t> xs;
  for (int i = 0; i < 2400; ++i) xs.push_back(rng() & 0x7FFFFFFFu);         // every exponent
  for (int i = 0; i < 300; ++i) xs.push_back(rng() & 0x007FFFFFu);          // subnormal
  for (int i = 0; i < 300; ++i) xs.push_back(0x80000000u | (rng() >> 1));   // negative
  const auto r = RunSqrt(kMega8, xs);
  ASSERT_EQ(r.size(), xs.size());
  int wrong = 0;
  for (size_t i = 0; i < xs.size(); ++i) {
    const float want = Sqrtf(FromBits(xs[i]));
    if (!SameFloat(r[i], want) && ++wrong <= 5)
      ADD_FAILURE() << "sqrt " << Hex(FromBits(xs[i])) << " gives " << Hex(r[i]) << ", want " << Hex(want);
  }
  EXPECT_EQ(wrong, 0);
}

// The routine itself over every mantissa of an exponent field, on the chip: the results'
// sum and sum of sums against the same over sqrtf. About 4e9 cycles an exponent, so it
// runs only when QBC_EXHAUSTIVE_TESTS is set (with the count of mantissas to go through,
// from the first; 8388608 is all of them).
uint64_t OnChipSums(uint32_t field, uint32_t count, uint64_t& cycles) {
  std::string p = ".include \"m8def.inc\"\n\t.cseg\n\t.org 0\n" + bench::StackSetup(true);
  p += "\tclr\tr6\n\tclr\tr2\n\tclr\tr3\n\tclr\tr4\n\tclr\tr5\n\tclr\tr13\n\tclr\tr14\n\tclr\tr15\n\tclr\tr16\n";
  p += "\tclr\tr10\n\tclr\tr11\n\tclr\tr12\n";
  p += "\tldi\tr17," + bench::Hex2(field >> 1) + "\n\tmov\tr8,r17\n\tldi\tr17," + bench::Hex2((field & 1) << 7) +
       "\n\tmov\tr9,r17\n";
  p += "_Next:\tmov\tr22,r10\n\tmov\tr23,r11\n\tmov\tr24,r12\n\tor\tr24,r9\n\tmov\tr25,r8\n";
  p += "\trcall\t_Fsqrt\n";
  p += "\tadd\tr2,r22\n\tadc\tr3,r23\n\tadc\tr4,r24\n\tadc\tr5,r25\n";
  p += "\tadd\tr13,r2\n\tadc\tr14,r3\n\tadc\tr15,r4\n\tadc\tr16,r5\n";
  p += "\tsec\n\tadc\tr10,r6\n\tadc\tr11,r6\n\tadc\tr12,r6\n";
  p += "\tldi\tr17,byte1(" + std::to_string(count) + ")\n\tcp\tr10,r17\n";
  p += "\tldi\tr17,byte2(" + std::to_string(count) + ")\n\tcpc\tr11,r17\n";
  p += "\tldi\tr17,byte3(" + std::to_string(count) + ")\n\tcpc\tr12,r17\n";
  p += "\tbrne\t_Next\n_End:\trjmp\t_End\n";
  auto st = FloatState(kMega8);
  EmitFloatCoreRoutines(*st);
  EmitFloatSqrtRoutine(*st);
  p += st->out.Str();
  auto sim = bench::AssembleAndRun(p, {.mcu = "atmega8", .frequency = 16000000, .max_cycles = uint64_t{900} * count + 100000},
                                   "_Fsqrt sweep");
  if (!sim) return 0;
  cycles = sim->Cycles();
  uint32_t s1 = 0, s2 = 0;
  for (int i = 0; i < 4; ++i) {
    s1 |= uint32_t{sim->Reg(2 + i)} << (8 * i);
    s2 |= uint32_t{sim->Reg(13 + i)} << (8 * i);
  }
  return (uint64_t{s2} << 32) | s1;
}

TEST(FloatSquareRoot, OnTheChipOverEveryMantissaOfTwoExponents) {
  const char* env = std::getenv("QBC_EXHAUSTIVE_TESTS");
  if (!env) GTEST_SKIP() << "set QBC_EXHAUSTIVE_TESTS=8388608 to run (several minutes)";
  const uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(std::strtoul(env, nullptr, 0)), 1u << 23);
  for (uint32_t field : {0x7Fu, 0x80u}) {
    uint32_t s1 = 0, s2 = 0;
    for (uint32_t m = 0; m < count; ++m) {
      s1 += Bits(std::sqrt(FromBits((field << 23) | m)));
      s2 += s1;
    }
    uint64_t cycles = 0;
    const uint64_t got = OnChipSums(field, count, cycles);
    EXPECT_EQ(got, (uint64_t{s2} << 32) | s1) << "exponent field " << field;
    std::printf("  exponent field 0x%02X: %u mantissas, %.1f cycles each\n", field, count,
                static_cast<double>(cycles) / count);
  }
}

}  // namespace
}  // namespace qbc::test::floatfn
