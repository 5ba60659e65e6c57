// _Fstr on the simulator: scientific text for a table of values and 0..6 decimals equals
// the host model of the routine's steps and the float's exact value rounded to the digits
// written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"
#include "tests/float/float_text_exact.h"

namespace qbc::test::floatfn {
namespace {

struct StrCase {
  float x;
  int d;
};

std::vector<std::string> RunStr(const std::vector<StrCase>& t, const FloatChip& chip = kMega128) {
  std::vector<std::vector<uint8_t>> cases;
  for (const StrCase& c : t) {
    auto v = FloatBytes(c.x);
    v.push_back(static_cast<uint8_t>(c.d));
    cases.push_back(v);
  }
  auto out = RunCases(chip, "_Fstr", CaseKind::Str, cases, 400000);
  std::vector<std::string> texts;
  if (out.size() != t.size()) {
    ADD_FAILURE() << "no results";
    return texts;
  }
  for (size_t i = 0; i < t.size(); ++i) {
    texts.push_back(CText(out[i], 0, 14));
    EXPECT_EQ(out[i][16], 0) << "_Fstr(" << t[i].x << ") changed a register it must keep";
    EXPECT_EQ(static_cast<uint32_t>(out[i][14] | out[i][15] << 8), chip.ram_start)
        << "r25:r24 must hold the address of _s1tmp";
  }
  return texts;
}

TEST(FloatTextStr, TableOfValuesWithZeroToSixDecimalsMatchesTheModel) {
  const std::vector<float> values = {1.0f,       -1.0f,     2.5f,       3.14159265f, -2.71828f,  0.5f,     0.1f,
                                     0.0123f,    100.0f,    99.5f,      9.9999999f,  9.99999f,   12345.678f, -0.000123f,
                                     1e-5f,      6.02e23f,  1.6e-19f,   1e38f,       3.4e38f,    1.2e-38f,   FromBits(0x00800000),
                                     FromBits(0x7F7FFFFF), 65535.0f, -32768.0f, 0.999999f, 123456789.0f};
  std::vector<StrCase> t;
  for (float x : values)
    for (int d = 0; d <= 6; ++d) t.push_back({x, d});
  auto texts = RunStr(t);
  ASSERT_EQ(texts.size(), t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    const std::string model = Str(t[i].x, t[i].d);
    EXPECT_EQ(texts[i], model) << "Str(" << t[i].x << ", " << t[i].d << ")";
    // Layout: sign, digit, [".", d digits], "E", sign, two digits.
    ASSERT_EQ(texts[i].size(), static_cast<size_t>(t[i].d ? 7 + t[i].d : 6)) << texts[i];
    EXPECT_TRUE(texts[i][0] == ' ' || texts[i][0] == '-') << texts[i];
    EXPECT_EQ(texts[i][texts[i].size() - 4], 'E') << texts[i];
    EXPECT_EQ(texts[i], ftext::ExactText(Bits(t[i].x), static_cast<unsigned>(t[i].d)).Str())
        << "exact rounding of " << t[i].x << " to " << t[i].d << " decimals";
  }
}

TEST(FloatTextStr, ZeroNanRoundingUpToTenAndHalves) {
  const std::vector<std::pair<StrCase, std::string>> known = {
      {{0.0f, 2}, " 0.00E+00"},
      {{0.0f, 0}, " 0E+00"},
      {{-0.0f, 1}, " 0.0E+00"},
      {{2.5f, 1}, " 2.5E+00"},
      {{NaN(), 3}, "Err"},
      {{FromBits(0x7F800000), 3}, "Err"},
      {{1.0f, 0}, " 1E+00"},
      {{-1234.5678f, 2}, "-1.23E+03"},
      // 9.96 with one decimal rounds to 10.0: the text is 1.0E+01, not 1.0E+00
      {{9.96f, 1}, " 1.0E+01"},
      {{0.0996f, 1}, " 1.0E-01"},
      {{99.99f, 2}, " 1.00E+02"},
      {{9.5f, 0}, " 1E+01"},
      // more than six decimals are taken as six
      {{1.5f, 7}, " 1.500000E+00"},
      {{1.5f, 200}, " 1.500000E+00"},
      // the largest values (a decimal exponent of 38) are scaled too
      {{3.0e38f, 2}, " 3.00E+38"},
      {{-1.0e38f, 1}, "-1.0E+38"},
      // the float's exact value rounded (these printed 5.000001E+02, 6.553501E+04,
      // 9.999989E+04, 9.999979E+09 and 9.999002E+01)
      {{500.0f, 6}, " 5.000000E+02"},
      {{65535.0f, 6}, " 6.553500E+04"},
      {{100000.0f, 6}, " 1.000000E+05"},
      {{1e10f, 6}, " 1.000000E+10"},
      {{99.99f, 6}, " 9.999000E+01"},
      // exact halves take the digits further from zero
      {{2.5f, 0}, " 3E+00"},
      {{-0.125f, 1}, "-1.3E-01"},
      {{25.0f, 0}, " 3E+01"},
  };
  std::vector<StrCase> t;
  for (auto& k : known) t.push_back(k.first);
  auto texts = RunStr(t);
  ASSERT_EQ(texts.size(), t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    EXPECT_EQ(texts[i], known[i].second) << "Str(" << t[i].x << ", " << t[i].d << ")";
    EXPECT_EQ(texts[i], Str(t[i].x, t[i].d)) << "model";
  }
}

TEST(FloatTextStr, RunsOnASmallMega) {
  std::vector<StrCase> t = {{3.14159f, 4}, {-0.00042f, 2}, {0.0f, 1}, {7e10f, 0}};
  auto texts = RunStr(t, kMega8);
  ASSERT_EQ(texts.size(), t.size());
  for (size_t i = 0; i < t.size(); ++i) EXPECT_EQ(texts[i], Str(t[i].x, t[i].d));
}

}  // namespace
}  // namespace qbc::test::floatfn
