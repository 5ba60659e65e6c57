// Squaring, reciprocal, scaling by 2^n, the long/float conversions, negation, the copy and
// the zero and NaN results on the simulator against the host model.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/float/float_cases.h"
#include "tests/float/float_fixture.h"
#include "tests/float/float_model.h"

namespace qbc::test::flt {
namespace {

// Floats for the one-operand routines: the edge values and random patterns of several
// kinds (any bits, magnitudes around the long range, small integers and halves).
std::vector<uint32_t> UnaryOperands(size_t random, uint32_t seed) {
  std::vector<uint32_t> v = kEdgeValues;
  for (uint32_t x : {0x3F7FFFFFu, 0xBF7FFFFFu, 0x3F000001u, 0x4EFFFFFFu, 0xCF000001u, 0xCF7FFFFFu, 0x3FB9999Au})
    v.push_back(x);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<uint32_t> any;
  while (v.size() < kEdgeValues.size() + 7 + random) {
    const uint32_t r = any(rng);
    switch (v.size() % 3) {
      case 0: v.push_back(r); break;
      case 1: v.push_back((r & 0x807FFFFF) | ((120 + r % 48) << 23)); break;
      default: v.push_back((r & 0x807C0000) | ((126 + r % 20) << 23)); break;
    }
  }
  return v;
}

std::vector<uint32_t> LongOperands(size_t random, uint32_t seed) {
  std::vector<uint32_t> v = {0,          1,          0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0x00FFFFFF, 0x01000000,
                             0x01000001, 0x01000002, 0x01000003, 0x02000005, 0x0200000A, 0x7FFFFFC0, 0x7FFFFF80,
                             0x7FFFFF40, 0x80000001, 0xFF000000, 0xFEFFFFFF, 0xFFFFFF7F, 0xC0000000, 100,
                             0xFFFFFF9C, 0x00000080, 0x00008000, 0x00800000, 0x80000080, 0x800000C0, 0xFFFFFFFE};
  std::mt19937 rng(seed);
  std::uniform_int_distribution<uint32_t> any;
  while (v.size() < 28 + random) {
    const uint32_t r = any(rng);
    const unsigned width = 1 + any(rng) % 32;
    v.push_back(v.size() % 2 ? r : (width == 32 ? r : (r & ((1u << width) - 1)) ^ (r & 0x80000000u ? ~0u : 0u)));
  }
  return v;
}

// Runs a routine with A (and optionally more input bytes) and compares A afterwards.
int CheckA(const Chip& chip, const Routine& r, const std::vector<std::vector<uint8_t>>& cases,
           const std::vector<uint32_t>& want) {
  const auto out = RunCases(chip, r, cases);
  EXPECT_EQ(out.size(), cases.size());
  int bad = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const uint32_t got = Get32(out[i], 0);
    if (got != want[i] || out[i][4] != 0) {
      if (++bad <= 12) {
        std::string in;
        for (uint8_t b : cases[i]) in += Hex2(b) + " ";
        ADD_FAILURE() << r.entry << "(" << in << ") = " << HexWord(got) << " r7=" << int(out[i][4]) << ", want "
                      << HexWord(want[i]);
      }
    }
  }
  return bad;
}

const std::vector<std::string> kOutA = {"r22", "r23", "r24", "r25", "r7"};

class FloatUnary : public ::testing::TestWithParam<const Chip*> {};

TEST_P(FloatUnary, SquareAndReciprocal) {
  const auto ops = UnaryOperands(3000, 7);
  std::vector<std::vector<uint8_t>> cases;
  std::vector<uint32_t> square, inverse;
  for (uint32_t a : ops) {
    cases.emplace_back();
    Put32(cases.back(), a);
    square.push_back(Mul(a, a));
    inverse.push_back(Inv(a));
  }
  EXPECT_EQ(CheckA(*GetParam(), {"_Fpow2", kA, kOutA, "", ""}, cases, square), 0);
  EXPECT_EQ(CheckA(*GetParam(), {"_Finv", kA, kOutA, "", ""}, cases, inverse), 0);
}

TEST_P(FloatUnary, ScaleByPowerOfTwo) {
  const auto ops = UnaryOperands(600, 8);
  const std::vector<int16_t> fixed = {0, 1, -1, 2, -2, 23, -23, 100, -100, 126, -126, 127, -127, 200, -200,
                                      253, -253, 254, -254, 255, -255, 256, -256, 300, -300, 32767, -32768};
  std::mt19937 rng(9);
  std::vector<std::vector<uint8_t>> cases;
  std::vector<uint32_t> want;
  for (size_t i = 0; i < ops.size(); ++i) {
    for (int k = 0; k < 3; ++k) {
      const int16_t n = k == 0 ? fixed[i % fixed.size()] : static_cast<int16_t>(static_cast<int>(rng() % 601) - 300);
      cases.emplace_back();
      Put32(cases.back(), ops[i]);
      cases.back().push_back(static_cast<uint8_t>(n));
      cases.back().push_back(static_cast<uint8_t>(static_cast<uint16_t>(n) >> 8));
      want.push_back(ToExp(ops[i], n));
    }
  }
  EXPECT_EQ(CheckA(*GetParam(), {"_F2e", Regs(kA, {"r20", "r21"}), kOutA, "", ""}, cases, want), 0);
}

TEST_P(FloatUnary, LongToFloatIsExact) {
  const auto longs = LongOperands(4000, 10);
  std::vector<std::vector<uint8_t>> cases;
  std::vector<uint32_t> signed_want, unsigned_want;
  for (uint32_t v : longs) {
    cases.emplace_back();
    Put32(cases.back(), v);
    signed_want.push_back(FromLong(static_cast<int32_t>(v)));
    unsigned_want.push_back(FromULong(v));
  }
  EXPECT_EQ(CheckA(*GetParam(), {"_Fs2f", kA, kOutA, "", ""}, cases, signed_want), 0);
  EXPECT_EQ(CheckA(*GetParam(), {"_Fus2f", kA, kOutA, "", ""}, cases, unsigned_want), 0);
}

TEST_P(FloatUnary, FloatToLongTruncates) {
  const auto ops = UnaryOperands(3000, 11);
  std::vector<std::vector<uint8_t>> cases;
  std::vector<uint32_t> want;
  for (uint32_t a : ops) {
    cases.emplace_back();
    Put32(cases.back(), a);
    want.push_back(ToLong(a));
  }
  EXPECT_EQ(CheckA(*GetParam(), {"_Fxsf", kA, kOutA, "", ""}, cases, want), 0);
}

TEST_P(FloatUnary, NegateCopyZeroAndNan) {
  const auto longs = LongOperands(300, 12);
  std::vector<std::vector<uint8_t>> cases;
  std::vector<uint32_t> neg, nan, clr, clr1;
  for (uint32_t v : longs) {
    cases.emplace_back();
    Put32(cases.back(), v);
    neg.push_back(0u - v);
    nan.push_back(0xFFC00000u | (v & 0xFFFF));
    clr.push_back(0);
    clr1.push_back(v & 0x00FFFFFF);
  }
  EXPECT_EQ(CheckA(*GetParam(), {"_Fneg", kA, kOutA, "", ""}, cases, neg), 0);
  EXPECT_EQ(CheckA(*GetParam(), {"_Fnan", kA, kOutA, "", ""}, cases, nan), 0);
  EXPECT_EQ(CheckA(*GetParam(), {"_Fclr", kA, kOutA, "", ""}, cases, clr), 0);
  EXPECT_EQ(CheckA(*GetParam(), {"_Fclr1", kA, kOutA, "", ""}, cases, clr1), 0);
  // _Fba copies A into B and keeps A.
  const auto out = RunCases(*GetParam(), {"_Fba", kA, Regs(kA, kB), "", ""}, cases);
  ASSERT_EQ(out.size(), cases.size());
  for (size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(Get32(out[i], 0), longs[i]);
    EXPECT_EQ(Get32(out[i], 4), longs[i]);
  }
}

// The long and float conversions meet in the library's own use (a fraction split truncates
// with _Fxsf and converts back with _Fs2f): every float with an integer value in the long
// range comes back unchanged.
TEST_P(FloatUnary, IntegerValuedFloatsSurviveTheRoundTrip) {
  std::vector<std::vector<uint8_t>> cases;
  std::vector<uint32_t> want;
  std::mt19937 rng(13);
  for (int i = 0; i < 800; ++i) {
    const uint32_t e = 127 + rng() % 31;
    uint32_t f = (rng() & 0x807FFFFF) | (e << 23);
    if (e < 150) f &= ~((1u << (150 - e)) - 1) | 0xFF800000u;  // no fraction bits
    cases.emplace_back();
    Put32(cases.back(), f);
    want.push_back(f);
  }
  Routine r{"_TstRt", kA, kOutA, "", "_TstRt:\trcall\t_Fxsf\n\trjmp\t_Fs2f\n"};
  EXPECT_EQ(CheckA(*GetParam(), r, cases, want), 0);
}

INSTANTIATE_TEST_SUITE_P(Chips, FloatUnary, ::testing::Values(&kM8, &kM32, &kM2560, &kM88, &kTn85),
                         [](const auto& p) { return std::string(p.param->mcu); });

// The unpacked routines take an exponent of 0 as zero, as the packed zero result of _Fclr
// leaves it (the functions of the library feed such values back in): A + B gives B,
// A * B gives 0, A / B gives 0 (NaN for B = 0), B / A gives NaN.
TEST(FloatUnpacked, ZeroWithExponentZero) {
  const std::string zero_a = "\tclr\tr22\n\tclr\tr23\n\tclr\tr24\n\tclr\tr25\n\tclr\txh\n";
  const std::string zero_b = "\tclr\tr18\n\tclr\tr19\n\tclr\tr20\n\tclr\tr21\n\tclr\txl\n";
  const std::string helpers = "_TstAdd:\tclr\tr7\n\trcall\t_Fwrk1\n" + zero_a +
                              "\trcall\t_FaddD\n\trjmp\t_Fback\n"
                              "_TstMul:\trcall\t_Fwrk1\n" + zero_a +
                              "\trcall\t_FmulD\n\trjmp\t_Fback\n"
                              "_TstDiv:\trcall\t_Fwrk1\n" + zero_a +
                              "\trcall\t_FdivD\n\trjmp\t_Fback\n"
                              "_TstDvz:\trcall\t_Fwrk1\n" + zero_b + "\trcall\t_FdivD\n\trjmp\t_Fback\n";
  std::vector<std::vector<uint8_t>> cases;
  std::vector<uint32_t> add, mul, div, dvz;
  std::mt19937 rng(14);
  for (uint32_t b : UnaryOperands(200, 15)) {
    if (IsSpecial(b)) continue;
    const uint32_t a = rng() & 0x7F7FFFFF;  // finite A, its low bytes seen in the NaN
    cases.emplace_back();
    Put32(cases.back(), a & 0xFFFF);  // +0 as far as the sign goes
    Put32(cases.back(), b);
    add.push_back(Add(0, b));
    mul.push_back(0);
    div.push_back(Decode(b).mant == 0 ? kOverflowNan : 0);  // 0 / 0 is NaN (A's low bytes 0)
    dvz.push_back(Div(a & 0xFFFF, 0));
  }
  const Chip& chip = kM32;
  EXPECT_EQ(CheckA(chip, {"_TstAdd", Regs(kA, kB), kOutA, "", helpers}, cases, add), 0);
  EXPECT_EQ(CheckA(chip, {"_TstMul", Regs(kA, kB), kOutA, "", helpers}, cases, mul), 0);
  EXPECT_EQ(CheckA(chip, {"_TstDiv", Regs(kA, kB), kOutA, "", helpers}, cases, div), 0);
  EXPECT_EQ(CheckA(chip, {"_TstDvz", Regs(kA, kB), kOutA, "", helpers}, cases, dvz), 0);
}

}  // namespace
}  // namespace qbc::test::flt

namespace qbc::test::flt {
namespace {

// _Fwrk1 straight from a caller: T is the sign difference, B and A come back unpacked
// (exponent, mantissa with its leading one, extension bytes 0; exponent field 0 read as
// exponent 1 without the leading one). An infinity or NaN leaves through the caller: the
// wrapper's own lines after the call are skipped and A holds the NaN pattern. _Fwrk3 and
// _Fback in turn give every normal number back unchanged.
TEST(FloatUnpackedForm, Fwrk1AndTheWayBack) {
  std::vector<std::pair<uint32_t, uint32_t>> pairs = EdgePairs();
  for (auto p : RandomPairs(1500, 51)) pairs.push_back(p);
  const std::string helpers =
      "_TstW1:\trcall\t_Fwrk1\n\tldi\tr16,0x5A\n\tret\n"  // r16 0x5A marks a normal return
      "_TstBk:\tbst\tr25,7\n\trcall\t_Fwrk3\n\tclr\tr0\n\trjmp\t_Fback\n";
  std::vector<std::vector<uint8_t>> cases;
  for (auto [a, b] : pairs) {
    cases.emplace_back();
    Put32(cases.back(), a);
    Put32(cases.back(), b);
  }
  // r16 is the fixture's loop counter: save it around the call.
  Routine w1{"_TstW1",
             Regs(kA, kB),
             {"r22", "r23", "r24", "r25", "r18", "r19", "r20", "r21", "r26", "r27", "sreg", "r16"},
             "\tpush\tr16\n\tclr\tr16\n",
             helpers};
  w1.after_store = "\tpop\tr16\n";
  const auto out = RunCases(kM32, w1, cases);
  ASSERT_EQ(out.size(), pairs.size());
  auto unpack = [](uint32_t x) {
    const uint32_t field = (x >> 23) & 0xFF, frac = x & 0x7FFFFF;
    return field == 0 ? (1u << 24) | frac : (field << 24) | 0x800000u | frac;  // exponent:mantissa
  };
  int bad = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const auto [a, b] = pairs[i];
    const auto& o = out[i];
    const bool special = IsSpecial(a) || IsSpecial(b);
    bool ok;
    if (special) {
      ok = Get32(o, 0) == NanOf(a) && o[11] == 0;  // the wrapper's "ldi r16,0x5A" never ran
    } else {
      ok = Get32(o, 0) == unpack(a) && Get32(o, 4) == unpack(b) && o[8] == 0 && o[9] == 0 &&
           ((o[10] & 0x40) != 0) == (((a ^ b) >> 31) != 0) && o[11] == 0x5A;
    }
    if (!ok && ++bad <= 10) ADD_FAILURE() << "_Fwrk1(" << HexWord(a) << ", " << HexWord(b) << ")";
  }
  EXPECT_EQ(bad, 0);

  std::vector<std::vector<uint8_t>> singles;
  std::vector<uint32_t> want;
  for (auto [a, b] : pairs) {
    singles.emplace_back();
    Put32(singles.back(), a);
    want.push_back(IsSpecial(a) ? NanOf(a) : ((a >> 23) & 0xFF) == 0 ? 0 : a);
  }
  EXPECT_EQ(CheckA(kM32, {"_TstBk", kA, kOutA, "", helpers}, singles, want), 0);
}

}  // namespace
}  // namespace qbc::test::flt
