// Every float function held to MPFR over its whole domain, on the simulated ATmega88 (as
// the library runs there: lpm Rd,Z+, mul, movw), beside avr-libc's routine on the same
// arguments and chip: each result equals the host model of the routine bit for bit, stays
// within the function's bound in units of the last place, is more than 2 units off no
// more often than avr-libc's, and the mean cycles stay within 1.5 times avr-libc's.
// 300 arguments a function; QBC_EXHAUSTIVE_TESTS=1 takes 3000 and runs the host model
// over a million more.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"
#include "tests/float/float_func_reference.h"
#include "tests/float/float_func_timing.h"

namespace qbc::test {
namespace {

using floatref::Fn;

// The host model of each function's routine, and the bounds the routine keeps: the
// largest error in units of the last place and the share of results more than 2 units
// off (measured on a million arguments, with a margin).
struct Held {
  Fn fn;
  std::function<float(float, float)> model;
  double max_ulp;
  double over2_share;
  bool odd, even;  // f(-x) = -f(x), f(-x) = f(x) bit for bit
};

const std::vector<Held>& HeldFunctions() {
  using namespace floatfn;
  static const std::vector<Held> held = {
      {Fn::Sin, [](float x, float) { return Sinf(x); }, 1.6, 0, true, false},
      {Fn::Cos, [](float x, float) { return Cosf(x); }, 1.6, 0, false, true},
      {Fn::Tan, [](float x, float) { return Tanf(x); }, 2.6, 0.0005, true, false},
      {Fn::Asin, [](float x, float) { return Asinf(x); }, 2.0, 0, true, false},
      {Fn::Acos, [](float x, float) { return Acosf(x); }, 1.3, 0, false, false},
      {Fn::Atan, [](float x, float) { return Atanf(x); }, 1.6, 0, true, false},
      {Fn::Atan2, [](float y, float x) { return Atan2f(y, x); }, 1.5, 0, false, false},
      {Fn::Sinh, [](float x, float) { return Sinhf(x); }, 1.6, 0, true, false},
      {Fn::Cosh, [](float x, float) { return Coshf(x); }, 1.5, 0, false, true},
      {Fn::Tanh, [](float x, float) { return Tanhf(x); }, 1.5, 0, true, false},
      {Fn::Exp, [](float x, float) { return Expf(x); }, 1.1, 0, false, false},
      {Fn::Log, [](float x, float) { return Lnf(x); }, 1.0, 0, false, false},
      {Fn::Log10, [](float x, float) { return Log10f(x); }, 2.1, 0.0001, false, false},
      {Fn::Pow, [](float x, float y) { return Powf(x, y); }, 32.0, 0.01, false, false},
      {Fn::DegToRad, [](float x, float) { return Mul(x, kDegToRad); }, 0.65, 0, true, false},
  };
  return held;
}

bool Exhaustive() { return std::getenv("QBC_EXHAUSTIVE_TESTS") != nullptr; }

const floattime::Function& Entry(Fn fn) {
  for (const floattime::Function& f : floattime::kFunctions)
    if (f.fn == fn) return f;
  return floattime::kFunctions[0];
}

std::string Library() { return floattime::Mega88Library() + floattime::DegToRadWrapper(0x3C8EFA35); }

TEST(FloatFunctionReference, EveryFunctionOverItsDomainOnTheChip) {
  const std::size_t n = Exhaustive() ? 3000 : 300;
  const bool libc = floattime::HaveAvrGcc();
  const std::string library = Library();
  std::printf("\n  %-8s %9s %8s %8s | %9s %8s %8s\n", "", "max ulp", ">2 ulp", "cycles", "avr-libc", ">2 ulp",
              "cycles");
  for (const Held& h : HeldFunctions()) {
    SCOPED_TRACE(floatref::Name(h.fn));
    const floattime::Function& f = Entry(h.fn);
    const floatref::Args args = floatref::Arguments(h.fn, n);
    const floattime::Operands ops = floattime::OperandsOf(args);
    const floattime::Timed ours = floattime::RunOurs(library, f.ours, ops);
    ASSERT_EQ(ours.error, "");
    ASSERT_EQ(ours.results.size(), n);
    floatref::Errors e;
    double cycles = 0;
    int mismatches = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const auto [x, y] = args[i];
      const float r = floatref::FromBits(ours.results[i]);
      const float m = h.model(x, y);
      if (!floatfn::SameFloat(r, m) && ++mismatches <= 5)
        ADD_FAILURE() << "(" << x << ", " << y << ") = " << r << " " << floatfn::Hex(r) << ", model " << m << " "
                      << floatfn::Hex(m);
      e.Add(x, y, r, floatref::Exact(h.fn, x, y));
      cycles += ours.cycles[i];
    }
    cycles /= static_cast<double>(n);
    EXPECT_LE(e.max_ulp, h.max_ulp) << "worst at (" << e.worst_x << ", " << e.worst_y << ")";
    EXPECT_LE(e.Share(), h.over2_share);
    std::printf("  %-8s %9.3f %7.3f%% %8.0f", floatref::Name(h.fn), e.max_ulp, 100 * e.Share(), cycles);
    if (!libc) {
      std::printf(" | avr-gcc is not installed\n");
      continue;
    }
    const floattime::Timed theirs = floattime::RunAvrLibc(f.libm, ops, floattime::kLibmDegToRad);
    ASSERT_EQ(theirs.error, "");
    ASSERT_EQ(theirs.results.size(), n);
    floatref::Errors le;
    double libc_cycles = 0;
    for (std::size_t i = 0; i < n; ++i) {
      le.Add(args[i].first, args[i].second, floatref::FromBits(theirs.results[i]),
             floatref::Exact(h.fn, args[i].first, args[i].second));
      libc_cycles += theirs.cycles[i];
    }
    libc_cycles /= static_cast<double>(n);
    std::printf(" | %9.3g %7.3f%% %8.0f\n", le.max_ulp, 100 * le.Share(), libc_cycles);
    EXPECT_LE(e.Share(), le.Share()) << "more results beyond 2 ulps than avr-libc's";
    EXPECT_LE(cycles, 1.5 * libc_cycles) << "slower than 1.5 times avr-libc's";
  }
}

// Odd functions give -f(x) for -x and even ones f(x), bit for bit, on the chip.
TEST(FloatFunctionReference, OddAndEvenFunctionsAreSymmetricBitForBit) {
  const std::size_t n = Exhaustive() ? 2000 : 200;
  const std::string library = Library();
  for (const Held& h : HeldFunctions()) {
    if (!h.odd && !h.even) continue;
    SCOPED_TRACE(floatref::Name(h.fn));
    floattime::Operands ops;
    for (auto [x, y] : floatref::Arguments(h.fn, n)) {
      ops.push_back({floatref::Bits(x) & 0x7FFFFFFFu, 0});
      ops.push_back({floatref::Bits(x) | 0x80000000u, 0});
    }
    const floattime::Timed t = floattime::RunOurs(library, Entry(h.fn).ours, ops);
    ASSERT_EQ(t.results.size(), ops.size()) << t.error;
    for (std::size_t i = 0; i < ops.size(); i += 2) {
      const uint32_t plus = t.results[i], minus = t.results[i + 1];
      if (floatfn::IsNan(floatref::FromBits(plus))) continue;
      EXPECT_EQ(minus, h.odd ? plus ^ 0x80000000u : plus) << "x = " << floatref::FromBits(ops[i].first);
    }
  }
}

// The host model over a million arguments a function against MPFR (the simulator
// matches the model bit for bit on the arguments above); on demand.
TEST(FloatFunctionReference, HostModelOverAMillionArguments) {
  if (!Exhaustive()) GTEST_SKIP() << "set QBC_EXHAUSTIVE_TESTS=1 to run (a minute)";
  for (const Held& h : HeldFunctions()) {
    floatref::Errors e;
    for (auto [x, y] : floatref::Arguments(h.fn, 1000000)) e.Add(x, y, h.model(x, y), floatref::Exact(h.fn, x, y));
    std::printf("  %-8s max %.3f ulp at (%.9g, %.9g), %.4f%% beyond 2 ulps\n", floatref::Name(h.fn), e.max_ulp,
                e.worst_x, e.worst_y, 100 * e.Share());
    EXPECT_LE(e.max_ulp, h.max_ulp) << floatref::Name(h.fn);
    EXPECT_LE(e.Share(), h.over2_share) << floatref::Name(h.fn);
  }
}

}  // namespace
}  // namespace qbc::test
