// _Fdp and _Ffmt on the simulator: the fixed-point text under the number format equals the
// host model of the routines, never passes the 14-byte buffer, and falls back to the
// scientific text where the fixed-point text cannot fit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"

namespace qbc::test::floatfn {
namespace {

struct DpCase {
  float x;
  int places, decimals, fill;
};
struct DpOut {
  std::string s1, s2;
  bool guard_kept;
  bool regs_kept;
};

std::vector<DpOut> RunDp(const std::vector<DpCase>& t) {
  std::vector<std::vector<uint8_t>> cases;
  for (const DpCase& c : t) {
    auto v = FloatBytes(c.x);
    v.push_back(static_cast<uint8_t>(c.places));
    v.push_back(static_cast<uint8_t>(c.decimals));
    v.push_back(static_cast<uint8_t>(c.fill));
    cases.push_back(v);
  }
  auto out = RunCases(kMega128, "_Fdp", CaseKind::Dp, cases, 400000);
  std::vector<DpOut> r;
  for (const auto& o : out) {
    DpOut d;
    d.s1 = CText(o, 0, 14);
    d.s2 = CText(o, 14, 14);
    d.guard_kept = o[28] == 0xa5 && o[29] == 0xa5 && o[30] == 0xa5 && o[31] == 0xa5;
    d.regs_kept = o[32] == 0;
    r.push_back(d);
  }
  return r;
}

TEST(FloatTextFormat, ExamplesOfTheFormat) {
  const std::vector<std::pair<DpCase, std::string>> known = {
      {{3.14159f, 2, 3, '*'}, " *3.141"},  // digits of the text with 5 decimals, not rounded again
      {{0.0123f, 2, 3, '*'}, " *0.012"},
      {{-3.14159f, 2, 3, '*'}, "-*3.141"},
      {{3.14159f, 1, 2, '*'}, " 3.14"},
      {{12.5f, 4, 1, ' '}, "   12.5"},
      {{0.5f, 1, 2, ' '}, " 0.50"},
      {{0.0f, 3, 2, '#'}, " ##0.00"},
      {{1234.5f, 4, 2, ' '}, " 1234.50"},
      {{1234.5f, 2, 2, ' '}, " 1.2345E+03"},  // more integer digits than places: scientific
      {{12345.6f, 3, 0, ' '}, " 1.235E+04"},
      {{0.000123f, 2, 4, ' '}, "  0.0001"},
      {{0.000123f, 2, 2, ' '}, "  0.00"},
      {{7.0f, 3, 2, 0}, " 7.00"},  // no fill character set: no fill
      {{1.5e20f, 2, 2, ' '}, " 1.5000E+20"},  // cannot fit: the scientific text
  };
  std::vector<DpCase> t;
  for (auto& k : known) t.push_back(k.first);
  auto out = RunDp(t);
  ASSERT_EQ(out.size(), t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    const DpCase& c = t[i];
    EXPECT_EQ(out[i].s2, known[i].second) << c.x << " with " << c.places << "." << c.decimals;
    EXPECT_EQ(out[i].s2, Dp(c.x, c.places, c.decimals, c.fill)) << "model";
    EXPECT_TRUE(out[i].guard_kept) << c.x << ": written past _s2tmp";
    EXPECT_TRUE(out[i].regs_kept) << c.x << ": a register that must be kept changed";
  }
}

// With no places the scientific text without decimals, in _s2tmp where the caller reads
// every text of _Fdp (the fixed-point text of an earlier call must not stay there).
TEST(FloatTextFormat, ScientificTextWhenNoPlacesAreSet) {
  auto out = RunDp({{2.5f, 0, 3, ' '}, {-0.001f, 0, 0, ' '}, {-7.0f, 0, 2, ' '}});
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].s1, " 3E+00");  // no decimals in this mode
  EXPECT_EQ(out[1].s1, "-1E-03");
  EXPECT_EQ(out[0].s2, " 3E+00");
  EXPECT_EQ(out[1].s2, "-1E-03");
  EXPECT_EQ(out[2].s2, "-7E+00");
  for (const DpOut& o : out) EXPECT_TRUE(o.guard_kept && o.regs_kept);
}

// Every combination of places and decimals up to the buffer's size and beyond, for values
// of every magnitude: the text is the model's and nothing is written past the buffer.
TEST(FloatTextFormat, AllFormatsStayInsideTheBufferAndMatchTheModel) {
  const std::vector<float> values = {0.0f,   1.0f,    -1.0f,   9.99f,    0.5f,     123.456f,  -98765.4f,
                                     0.015f, 1e-9f,   3.3e12f, -7.25e-3f, 999999.9f, 2e38f,    NaN()};
  std::vector<DpCase> t;
  for (float x : values)
    for (int c : {1, 2, 3, 5, 8, 11, 12, 40})
      for (int d : {0, 1, 2, 4, 6, 9}) t.push_back({x, c, d, x < 0 ? '*' : ' '});
  auto out = RunDp(t);
  ASSERT_EQ(out.size(), t.size());
  int mismatches = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const DpCase& c = t[i];
    std::string model = Dp(c.x, c.places, c.decimals, c.fill);
    if (out[i].s2 != model && ++mismatches <= 10)
      ADD_FAILURE() << c.x << " with " << c.places << "." << c.decimals << ": " << out[i].s2 << " model " << model;
    EXPECT_TRUE(out[i].guard_kept) << c.x << " with " << c.places << "." << c.decimals << ": written past _s2tmp";
    EXPECT_LE(out[i].s2.size(), 13u);
    EXPECT_TRUE(out[i].regs_kept);
  }
}

}  // namespace
}  // namespace qbc::test::floatfn
