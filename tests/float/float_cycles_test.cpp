// Cycles per call of _Fadd, _Fmul, _Fdiv and _Fsqrt against avr-libc's __addsf3,
// __mulsf3, __divsf3 and sqrt (Debian gcc-avr and avr-libc, the driver built with -Os), on
// the same simulated ATmega32 (which multiplies with mul) over the same operands, each
// call timed from the call instruction to the end of the return (float_timing.h). Prints
// the medians. The float multiply must stay within 200 cycles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "compiler/library/core/float_functions.h"
#include "tests/float/float_fixture.h"
#include "tests/float/float_func_model.h"
#include "tests/float/float_model.h"
#include "tests/float/float_timing.h"

namespace qbc::test::flt {
namespace {

// Operands of everyday size: random signs and mantissas, magnitudes 2^-12 .. 2^12.
std::vector<std::pair<uint32_t, uint32_t>> BenchOperands(size_t n) {
  std::mt19937 rng(41);
  std::vector<std::pair<uint32_t, uint32_t>> v;
  for (size_t i = 0; i < n; ++i) {
    auto one = [&rng] { return (rng() & 0x807FFFFFu) | ((115u + rng() % 25) << 23); };
    v.emplace_back(one(), one());
  }
  return v;
}

// The float core, the arithmetic and the square root for the ATmega32.
std::string Library() {
  auto sqrt = StateFor(kM32);
  EmitFloatSqrtRoutine(*sqrt);
  return LibraryText(kM32) + sqrt->out.Str();
}

int Median(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

TEST(FloatCycles, AgainstAvrLibc) {
  if (!floattime::HaveAvrGcc()) GTEST_SKIP() << "avr-gcc is not installed";
  const auto ops = BenchOperands(280);
  const std::string library = Library();
  struct Op {
    const char* ours;
    const char* libc;
    uint32_t (*model)(uint32_t, uint32_t);
    double limit;  // largest ratio to avr-libc accepted
    bool positive;  // operands with the sign cleared
    int max_cycles;
  };
  std::printf("\n  cycles per call (median of %zu operand pairs, ATmega32)\n", ops.size());
  std::printf("  %-8s %8s %10s %8s\n", "", "ours", "avr-libc", "ratio");
  auto sqrt_model = [](uint32_t a, uint32_t) { return Bits(floatfn::Sqrtf(FromBits(a))); };
  auto positive_ops = ops;
  for (auto& [a, b] : positive_ops) a &= 0x7FFFFFFFu;
  for (const Op& op : {Op{"_Fadd", "__addsf3", Add, 1.5, false, 10000}, Op{"_Fmul", "__mulsf3", Mul, 1.2, false, 200},
                       Op{"_Fdiv", "__divsf3", Div, 1.5, false, 10000},
                       Op{"_Fsqrt", "sqrt", sqrt_model, 2.0, true, 10000}}) {
    const auto& operands = op.positive ? positive_ops : ops;
    const floattime::Timed ours = floattime::RunOurs(library, op.ours, operands, floattime::kMega32);
    ASSERT_EQ(ours.error, "");
    const floattime::Timed libc = floattime::RunAvrLibc(op.libc, operands, "", floattime::kMega32);
    ASSERT_EQ(libc.error, "") << "avr-gcc failed";
    ASSERT_EQ(ours.cycles.size(), ops.size());
    ASSERT_EQ(libc.cycles.size(), ops.size());
    for (size_t i = 0; i < ops.size(); ++i) {
      // Both give the correctly rounded result on these normal operands.
      EXPECT_EQ(ours.results[i], op.model(operands[i].first, operands[i].second));
      EXPECT_EQ(libc.results[i], ours.results[i]) << op.libc;
    }
    const int mo = Median(ours.cycles), ml = Median(libc.cycles);
    const double ratio = static_cast<double>(mo) / ml;
    std::printf("  %-8s %8d %10d %8.2f\n", op.ours, mo, ml, ratio);
    EXPECT_LE(ratio, op.limit) << op.ours;
    EXPECT_LE(mo, op.max_cycles) << op.ours;
  }
}

}  // namespace
}  // namespace qbc::test::flt
