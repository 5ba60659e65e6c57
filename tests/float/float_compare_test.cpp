// Comparison on the simulator: _Fcmp's flags (Z equal, C less, T unordered), _Fcmf's value
// and the unordered answers of _Fcmp0 and _Fcmp1, for every pairing of the edge values and
// random pairs (equal pairs, opposite signs, nearby values included).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/float/float_cases.h"
#include "tests/float/float_fixture.h"
#include "tests/float/float_model.h"

namespace qbc::test::flt {
namespace {

std::vector<std::pair<uint32_t, uint32_t>> ComparePairs() {
  auto v = EdgePairs();
  std::mt19937 rng(21);
  for (const auto& [a, b] : RandomPairs(3000, 22)) {
    v.emplace_back(a, b);
    switch (rng() % 4) {
      case 0: v.emplace_back(a, a); break;
      case 1: v.emplace_back(a, a ^ 0x80000000u); break;
      case 2: v.emplace_back(a, a + 1); break;
      default: v.emplace_back(b - 1, b); break;
    }
  }
  return v;
}

std::vector<std::vector<uint8_t>> Cases(const std::vector<std::pair<uint32_t, uint32_t>>& pairs) {
  std::vector<std::vector<uint8_t>> cases;
  for (auto [a, b] : pairs) {
    cases.emplace_back();
    Put32(cases.back(), a);
    Put32(cases.back(), b);
  }
  return cases;
}

constexpr uint8_t kFlagC = 0x01, kFlagZ = 0x02, kFlagT = 0x40;

class FloatCompare : public ::testing::TestWithParam<const Chip*> {};

TEST_P(FloatCompare, FlagsOfFcmp) {
  const auto pairs = ComparePairs();
  const auto out = RunCases(*GetParam(), {"_Fcmp", Regs(kA, kB), {"sreg", "r7"}, "", ""}, Cases(pairs));
  ASSERT_EQ(out.size(), pairs.size());
  int bad = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const CmpResult want = Compare(pairs[i].first, pairs[i].second);
    const uint8_t sreg = out[i][0];
    const bool ok = want.unordered ? (sreg & kFlagT) != 0
                                   : (sreg & kFlagT) == 0 && ((sreg & kFlagZ) != 0) == want.equal &&
                                         ((sreg & kFlagC) != 0) == want.less;
    if ((!ok || out[i][1] != 0) && ++bad <= 12)
      ADD_FAILURE() << "_Fcmp(" << HexWord(pairs[i].first) << ", " << HexWord(pairs[i].second) << ") SREG "
                    << Hex2(sreg) << " r7 " << int(out[i][1]) << ", want " << (want.unordered ? "T" : "")
                    << (want.equal ? "Z" : "") << (want.less ? "C" : "");
  }
  EXPECT_EQ(bad, 0);
}

TEST_P(FloatCompare, ValuesOfFcmfFcmp0Fcmp1) {
  const auto pairs = ComparePairs();
  struct Entry {
    const char* name;
    uint8_t unordered;
  };
  for (const Entry e : {Entry{"_Fcmf", 0x00}, Entry{"_Fcmp0", 0x01}, Entry{"_Fcmp1", 0xFF}}) {
    const auto out = RunCases(*GetParam(), {e.name, Regs(kA, kB), {"r24", "sreg"}, "", ""}, Cases(pairs));
    ASSERT_EQ(out.size(), pairs.size());
    int bad = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      const auto [a, b] = pairs[i];
      const bool unordered = Compare(a, b).unordered;
      const uint8_t want = unordered ? e.unordered : Cmf(a, b);
      const bool t = (out[i][1] & kFlagT) != 0;
      if ((out[i][0] != want || t != unordered) && ++bad <= 12)
        ADD_FAILURE() << e.name << "(" << HexWord(a) << ", " << HexWord(b) << ") = " << Hex2(out[i][0]) << " T=" << t
                      << ", want " << Hex2(want);
    }
    EXPECT_EQ(bad, 0) << e.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Chips, FloatCompare, ::testing::Values(&kM8, &kM32, &kM2560),
                         [](const auto& p) { return std::string(p.param->mcu); });

// _Fmov exchanges A and B.
TEST(FloatMove, ExchangesAandB) {
  std::vector<std::vector<uint8_t>> cases;
  std::mt19937 rng(23);
  for (int i = 0; i < 50; ++i) {
    cases.emplace_back();
    Put32(cases.back(), rng());
    Put32(cases.back(), rng());
  }
  for (const Chip* chip : {&kM8, &kM2560}) {
    const auto out = RunCases(*chip, {"_Fmov", Regs(kA, kB), Regs(kA, kB), "", ""}, cases);
    ASSERT_EQ(out.size(), cases.size());
    for (size_t i = 0; i < out.size(); ++i) {
      EXPECT_EQ(Get32(out[i], 0), Get32(cases[i], 4));
      EXPECT_EQ(Get32(out[i], 4), Get32(cases[i], 0));
    }
  }
}

}  // namespace
}  // namespace qbc::test::flt
