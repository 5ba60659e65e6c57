// The integer divide routines run on the simulator against host arithmetic: quotients
// truncated towards zero, remainders of the magnitudes, and the documented results of a
// division by zero.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "compiler/library/core/int_divide.h"
#include "tests/library_core/routine_fixture.h"

namespace qbc {
namespace {

using test::GetLe;
using test::RoutineRig;
using test::RunRoutineCases;

using test::Pairs;

// Host model of the signed routines: quotient truncated towards zero (wrapping for the
// most negative value divided by -1), remainder of the magnitudes; by zero -1 for a
// non-negative dividend and 1 for a negative one, with |dividend| as remainder.
struct SignedResult {
  std::int64_t quotient;
  std::int64_t remainder;
};
SignedResult SignedDivision(std::int64_t a, std::int64_t b, int bits) {
  const std::int64_t mask = (std::int64_t{1} << bits) - 1;
  std::int64_t ma = a < 0 ? -a : a;
  std::int64_t mb = b < 0 ? -b : b;
  if (b == 0) return {(a < 0 ? 1 : -1) & mask, ma & mask};
  std::int64_t q = ma / mb;
  if ((a < 0) != (b < 0)) q = -q;
  return {q & mask, (ma % mb) & mask};
}

TEST(IntArithDivide, Div8uQuotientAndRemainder) {
  RoutineRig rig{.device = "m88", .inputs = {"r24", "zl"}, .outputs = {"zl", "r24", "r22"}, .kept = {},
                 .label = "Div8u", .routine_text = test::EmittedText(EmitDiv8uRoutine, false)};
  std::vector<std::uint32_t> v = {0, 1, 2, 3, 7, 9, 10, 100, 127, 128, 129, 200, 254, 255};
  auto pairs = Pairs(v);
  auto cases = test::PairCases(pairs, 1);
  auto r = RunRoutineCases(rig, cases);
  ASSERT_EQ(r.size(), cases.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    std::uint32_t q = b ? a / b : 255, rem = b ? a % b : a;
    EXPECT_EQ(r[i][0], q) << a << " / " << b;
    EXPECT_EQ(r[i][1], q) << a << " / " << b << " (r24)";
    EXPECT_EQ(r[i][2], rem) << a << " mod " << b;
  }
}

TEST(IntArithDivide, Di16uQuotientAndRemainder) {
  RoutineRig rig{.device = "m88", .inputs = {"r24", "r25", "zl", "zh"}, .outputs = {"zl", "zh", "r24", "r25"},
                 .kept = {}, .label = "Di16u", .routine_text = test::EmittedText(EmitDi16uRoutine, false)};
  std::vector<std::uint32_t> v = {0, 1, 2, 3, 7, 10, 255, 256, 0x7FFF, 0x8000, 40000, 0xFFFE, 0xFFFF};
  auto pairs = Pairs(v);
  std::mt19937 rng(6);
  for (int i = 0; i < 40; ++i) pairs.push_back({rng() & 0xFFFF, (rng() & 0xFFFF) >> (rng() % 16)});
  auto cases = test::PairCases(pairs, 2);
  auto r = RunRoutineCases(rig, cases);
  ASSERT_EQ(r.size(), cases.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    std::uint32_t q = b ? a / b : 0xFFFF, rem = b ? a % b : a;
    EXPECT_EQ(GetLe(r[i], 0, 2), q) << a << " / " << b;
    EXPECT_EQ(GetLe(r[i], 2, 2), rem) << a << " mod " << b;
  }
}

TEST(IntArithDivide, Di16sTruncatesTowardsZeroWithTheRemainderOfTheMagnitudes) {
  RoutineRig rig{.device = "m88", .inputs = {"r24", "r25", "zl", "zh"}, .outputs = {"zl", "zh", "r24", "r25"},
                 .kept = {}, .label = "Di16s", .routine_text = test::EmittedText(EmitDi16sRoutine, false)};
  std::vector<std::int64_t> v = {-32768, -32767, -12345, -256, -7, -2, -1, 0, 1, 2, 3, 7, 255, 12345, 32767};
  auto pairs = Pairs(v);
  std::mt19937 rng(7);
  for (int i = 0; i < 40; ++i) pairs.push_back({static_cast<std::int16_t>(rng()), static_cast<std::int16_t>(rng()) >> (rng() % 15)});
  auto cases = test::PairCases(pairs, 2);
  auto r = RunRoutineCases(rig, cases);
  ASSERT_EQ(r.size(), cases.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    SignedResult want = SignedDivision(a, b, 16);
    EXPECT_EQ(static_cast<std::int64_t>(GetLe(r[i], 0, 2)), want.quotient) << a << " / " << b;
    EXPECT_EQ(static_cast<std::int64_t>(GetLe(r[i], 2, 2)), want.remainder) << a << " mod " << b;
  }
}

TEST(IntArithDivide, Div32TruncatesTowardsZeroWithTheRemainderOfTheMagnitudes) {
  RoutineRig rig{.device = "m88", .inputs = {"r24", "r25", "r16", "r17", "zl", "zh", "r18", "r19"},
                 .outputs = {"zl", "zh", "r18", "r19", "r24", "r25", "r16", "r17"}, .kept = {},
                 .label = "Div32", .routine_text = test::EmittedText(EmitDiv32Routine, false)};
  std::vector<std::int64_t> v = {INT32_MIN, INT32_MIN + 1, -0x12345678, -65536, -7, -2, -1, 0,
                                 1, 2, 3, 7, 10, 65535, 0x12345678, INT32_MAX};
  auto pairs = Pairs(v);
  std::mt19937 rng(8);
  for (int i = 0; i < 60; ++i) pairs.push_back({static_cast<std::int32_t>(rng()), static_cast<std::int32_t>(rng()) >> (rng() % 31)});
  auto cases = test::PairCases(pairs, 4);
  auto r = RunRoutineCases(rig, cases);
  ASSERT_EQ(r.size(), cases.size());
  for (std::size_t i = 0; i < r.size(); ++i) {
    auto [a, b] = pairs[i];
    SignedResult want = SignedDivision(a, b, 32);
    EXPECT_EQ(static_cast<std::int64_t>(GetLe(r[i], 0, 4)), want.quotient) << a << " / " << b;
    EXPECT_EQ(static_cast<std::int64_t>(GetLe(r[i], 4, 4)), want.remainder) << a << " mod " << b;
  }
}

}  // namespace
}  // namespace qbc
