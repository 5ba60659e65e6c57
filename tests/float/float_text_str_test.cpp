// _Fstr on the simulator: scientific text for a table of values and 0..6 decimals equals
// the host model of the routine's algorithm, and reads back close to the value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"

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
    // The text reads back close to the value (scaling by 10^-k through exp and ln costs
    // a few units in the sixth decimal).
    double back = std::strtod(texts[i].c_str(), nullptr);
    double tol = 0.5 * std::pow(10.0, -t[i].d) + 2e-5;
    double v = std::fabs(static_cast<double>(t[i].x));
    int e10 = static_cast<int>(std::floor(std::log10(v)));
    EXPECT_NEAR(std::fabs(back) / std::pow(10.0, e10), v / std::pow(10.0, e10), tol * 10.0001)
        << "Str(" << t[i].x << ", " << t[i].d << ") = " << texts[i];
  }
}

TEST(FloatTextStr, ZeroNanAndRoundingUpToTen) {
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
