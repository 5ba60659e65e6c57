#include <gtest/gtest.h>
#include "tests/float/float_func_fixture.h"
namespace qbc::test::floatfn {
namespace {
TEST(FloatSmoke, Sqrt) {
  std::vector<float> xs = {1.0f, 2.0f, 0.5f, 100.0f, 3.0f};
  std::vector<std::vector<uint8_t>> cases;
  for (float x : xs) cases.push_back(FloatBytes(x));
  auto out = RunCases(kMega128, "_Fsqrt", CaseKind::Unary, cases);
  ASSERT_EQ(out.size(), xs.size());
  for (size_t i = 0; i < xs.size(); ++i) {
    float r = FloatAt(out[i], 0);
    EXPECT_TRUE(SameFloat(r, Sqrtf(xs[i]))) << xs[i] << " " << r << " " << Sqrtf(xs[i]);
    EXPECT_EQ(out[i][4], 0);
  }
}
}  // namespace
}  // namespace qbc::test::floatfn
