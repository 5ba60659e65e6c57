// The float functions on the simulator over grids of arguments: every result must equal
// the host model of the same algorithm bit for bit, and the error against the host's
// double-precision libm stays within the bound measured for the algorithm (a table of
// the errors is printed).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/float/float_func_fixture.h"

namespace qbc::test::floatfn {
namespace {

std::vector<float> Linspace(double a, double b, int n) {
  std::vector<float> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<float>(a + (b - a) * i / (n - 1)));
  return v;
}
std::vector<float> Logspace(double a, double b, int n) {  // a, b > 0
  std::vector<float> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<float>(a * std::pow(b / a, double(i) / (n - 1))));
  return v;
}
std::vector<float> Mirror(std::vector<float> v) {
  size_t n = v.size();
  for (size_t i = 0; i < n; ++i) v.push_back(-v[i]);
  return v;
}

// Error of r against the exact value in units of the last place of the single-precision
// number nearest to the exact value.
double UlpError(float r, double exact) {
  if (exact == 0) return r == 0 ? 0 : 1e9;
  int e = std::ilogb(static_cast<float>(exact));
  double ulp = std::ldexp(1.0, std::max(e, -126) - 23);
  return std::fabs(static_cast<double>(r) - exact) / ulp;
}

struct Stats {
  double max_ulp = 0, max_abs = 0;
  float worst_ulp_x = 0, worst_abs_x = 0;
  void Add(float x, float r, double exact) {
    double u = UlpError(r, exact);
    double a = std::fabs(static_cast<double>(r) - exact);
    if (u > max_ulp) max_ulp = u, worst_ulp_x = x;
    if (a > max_abs) max_abs = a, worst_abs_x = x;
  }
};

void PrintRow(const std::string& name, const std::string& range, size_t n, const Stats& s) {
  std::printf("| %-8s | %-34s | %4zu | %9.2f ulp (x=%-12.7g) | abs %.2e (x=%.7g)\n", name.c_str(), range.c_str(), n,
              s.max_ulp, s.worst_ulp_x, s.max_abs, s.worst_abs_x);
}

struct UnaryCase {
  const char* name;
  const char* label;
  float (*model)(float);
  double (*exact)(double);
  std::vector<float> grid;
  std::string range;
  double max_ulp;  // bound on the grid (the algorithm's measured error, with a small margin)
  double max_abs;  // bound on the absolute error, for functions measured that way (0: none)
};

void RunUnary(const UnaryCase& c, const FloatChip& chip = kMega128) {
  std::vector<std::vector<uint8_t>> cases;
  for (float x : c.grid) cases.push_back(FloatBytes(x));
  auto out = RunCases(chip, c.label, CaseKind::Unary, cases);
  ASSERT_EQ(out.size(), c.grid.size());
  Stats s;
  int mismatches = 0;
  for (size_t i = 0; i < c.grid.size(); ++i) {
    float x = c.grid[i];
    float r = FloatAt(out[i], 0);
    float m = c.model(x);
    if (!SameFloat(r, m) && ++mismatches <= 5)
      ADD_FAILURE() << c.name << "(" << x << " " << Hex(x) << ") = " << r << " " << Hex(r) << ", model " << m << " "
                    << Hex(m);
    EXPECT_EQ(out[i][4], 0) << c.name << "(" << x << ") changed a register it must keep";
    s.Add(x, r, c.exact(static_cast<double>(x)));
  }
  PrintRow(c.name, c.range, c.grid.size(), s);
  EXPECT_LE(s.max_ulp, c.max_ulp) << c.name << " worst at " << s.worst_ulp_x;
  if (c.max_abs > 0) {
    EXPECT_LE(s.max_abs, c.max_abs) << c.name << " worst at " << s.worst_abs_x;
  }
}

TEST(FloatFunctionAccuracy, SquareRoot) {
  auto g = Logspace(1e-37, 3e38, 300);
  RunUnary({"sqrt", "_Fsqrt", Sqrtf, [](double x) { return std::sqrt(x); }, g, "1e-37 .. 3e38", 1.0, 0});
}

TEST(FloatFunctionAccuracy, Exponential) {
  RunUnary({"exp", "_Fexp", Expf, [](double x) { return std::exp(x); }, Linspace(-1, 1, 161), "-1 .. 1", 1.1, 0});
  // Larger arguments: x - k ln 2 with ln 2 in two parts keeps r's digits, so the error does
  // not grow with |x|.
  RunUnary({"exp", "_Fexp", Expf, [](double x) { return std::exp(x); }, Linspace(-87.3, 88.7, 161),
            "-87.3 .. 88.7", 1.1, 0});
}

TEST(FloatFunctionAccuracy, Logarithms) {
  // Near 1 (m - 1 exact, e = 0) the logarithm keeps its relative accuracy too.
  auto away = Logspace(1e-30, 0.5, 80);
  auto high = Logspace(2.0, 1e30, 80);
  away.insert(away.end(), high.begin(), high.end());
  RunUnary({"ln", "_Fln", Lnf, [](double x) { return std::log(x); }, away, "1e-30 .. 0.5, 2 .. 1e30", 1.0, 0});
  RunUnary({"ln", "_Fln", Lnf, [](double x) { return std::log(x); }, Linspace(0.5, 2.0, 121), "0.5 .. 2", 1.0, 0});
  RunUnary({"log10", "_Flog", Log10f, [](double x) { return std::log10(x); }, away, "1e-30 .. 0.5, 2 .. 1e30", 2.1, 0});
}

TEST(FloatFunctionAccuracy, SineAndCosine) {
  // The reduction keeps r's digits and each quadrant has its own kernel: the relative error
  // stays small near the zeros too.
  RunUnary({"sin", "_Fsin", Sinf, [](double x) { return std::sin(x); }, Linspace(-6.3, 6.3, 201), "-6.3 .. 6.3", 1.6,
            0});
  RunUnary({"cos", "_Fcos", Cosf, [](double x) { return std::cos(x); }, Linspace(-6.3, 6.3, 201), "-6.3 .. 6.3", 1.6,
            0});
  RunUnary({"sin", "_Fsin", Sinf, [](double x) { return std::sin(x); }, Mirror(Linspace(0.6, 2.5, 60)),
            "0.6 .. 2.5 (|sin| > 0.56)", 1.6, 0});
  RunUnary({"cos", "_Fcos", Cosf, [](double x) { return std::cos(x); }, Mirror(Linspace(0, 1.0, 60)),
            "0 .. 1 (|cos| > 0.54)", 1.6, 0});
  RunUnary({"sin", "_Fsin", Sinf, [](double x) { return std::sin(x); }, Mirror(Logspace(10, 1e5, 60)),
            "10 .. 1e5", 1.6, 0});
  RunUnary({"sin", "_Fsin", Sinf, [](double x) { return std::sin(x); }, Mirror(Logspace(1e-10, 1.2e-4, 30)),
            "below 2^-13: sin x = x", 1.0, 0});
}

TEST(FloatFunctionAccuracy, Tangent) {
  RunUnary({"tan", "_Ftan", Tanf, [](double x) { return std::tan(x); }, Mirror(Linspace(0.001, 1.5, 150)),
            "-1.5 .. 1.5", 2.5, 0});
}

TEST(FloatFunctionAccuracy, InverseSineAndCosine) {
  RunUnary({"asin", "_FASin", Asinf, [](double x) { return std::asin(x); }, Mirror(Linspace(0, 1, 101)), "-1 .. 1",
            2.0, 0});
  RunUnary({"acos", "_FACos", Acosf, [](double x) { return std::acos(x); }, Mirror(Linspace(0, 1, 101)), "-1 .. 1",
            1.3, 0});
}

TEST(FloatFunctionAccuracy, InverseTangent) {
  auto g = Mirror(Logspace(1e-4, 1e6, 160));
  RunUnary({"atan", "_FAtan", Atanf, [](double x) { return std::atan(x); }, g, "1e-4 .. 1e6", 1.6, 0});
}

TEST(FloatFunctionAccuracy, Hyperbolic) {
  // Small |x| has kernels of its own (the exponentials' difference would cancel); from
  // there on they follow exp, also near the top of the range.
  auto big = Mirror(Linspace(1, 10, 60));
  RunUnary({"sinh", "_Fsinh", Sinhf, [](double x) { return std::sinh(x); }, big, "1 .. 10", 1.6, 0});
  RunUnary({"cosh", "_Fcosh", Coshf, [](double x) { return std::cosh(x); }, Mirror(Linspace(0, 10, 60)), "0 .. 10", 1.5,
            0});
  RunUnary({"cosh", "_Fcosh", Coshf, [](double x) { return std::cosh(x); }, Mirror(Linspace(80, 89.4, 30)),
            "80 .. 89.4", 1.5, 0});
  RunUnary({"tanh", "_Ftanh", Tanhf, [](double x) { return std::tanh(x); }, big, "1 .. 10", 1.5, 0});
  RunUnary({"sinh", "_Fsinh", Sinhf, [](double x) { return std::sinh(x); }, Mirror(Linspace(0.001, 1, 60)), "0.001 .. 1",
            1.6, 0});
  RunUnary({"tanh", "_Ftanh", Tanhf, [](double x) { return std::tanh(x); }, Mirror(Linspace(0.001, 1, 60)), "0.001 .. 1",
            1.5, 0});
}

// Binary functions.
struct BinaryCase {
  const char* name;
  const char* label;
  float (*model)(float, float);
  double (*exact)(double, double);
  std::vector<std::pair<float, float>> grid;
  std::string range;
  double max_ulp;
  double max_abs;
};

void RunBinary(const BinaryCase& c) {
  std::vector<std::vector<uint8_t>> cases;
  for (auto [a, b] : c.grid) {
    auto v = FloatBytes(a);
    auto w = FloatBytes(b);
    v.insert(v.end(), w.begin(), w.end());
    cases.push_back(v);
  }
  auto out = RunCases(kMega128, c.label, CaseKind::Binary, cases);
  ASSERT_EQ(out.size(), c.grid.size());
  Stats s;
  int mismatches = 0;
  for (size_t i = 0; i < c.grid.size(); ++i) {
    auto [a, b] = c.grid[i];
    float r = FloatAt(out[i], 0);
    float m = c.model(a, b);
    if (!SameFloat(r, m) && ++mismatches <= 5)
      ADD_FAILURE() << c.name << "(" << a << ", " << b << ") = " << r << " " << Hex(r) << ", model " << m << " " << Hex(m);
    EXPECT_EQ(out[i][4], 0) << c.name << "(" << a << ", " << b << ") changed a register it must keep";
    s.Add(a, r, c.exact(a, b));
  }
  PrintRow(c.name, c.range, c.grid.size(), s);
  EXPECT_LE(s.max_ulp, c.max_ulp) << c.name << " worst at first argument " << s.worst_ulp_x;
  if (c.max_abs > 0) {
    EXPECT_LE(s.max_abs, c.max_abs) << c.name << " worst at first argument " << s.worst_abs_x;
  }
}

TEST(FloatFunctionAccuracy, Power) {
  std::vector<std::pair<float, float>> g;
  for (float a : Logspace(0.1, 10, 15))
    for (float b : Linspace(-4.5, 4.5, 10)) g.push_back({a, b});
  // 2^n e^w: B e is split exactly; the error of B ln m (in single precision) is scaled by
  // |B ln m|.
  RunBinary({"pow", "_Fpow", Powf, [](double a, double b) { return std::pow(a, b); }, g, "a 0.1 .. 10, b -4.5 .. 4.5",
             10.0, 0});
  std::vector<std::pair<float, float>> neg;
  for (float a : Linspace(-5, -0.5, 10))
    for (float b : {-3.0f, -2.0f, -1.0f, 1.0f, 2.0f, 3.0f, 5.0f}) neg.push_back({a, b});
  RunBinary({"pow", "_Fpow", Powf, [](double a, double b) { return std::pow(a, b); }, neg,
             "a -5 .. -0.5, whole b", 10.0, 0});
}

TEST(FloatFunctionAccuracy, TwoArgumentArctangent) {
  std::vector<std::pair<float, float>> g;
  for (float y : {-3.0f, -1.0f, -0.25f, 0.5f, 1.0f, 7.0f})
    for (float x : {-5.0f, -1.0f, -0.3f, 0.2f, 1.0f, 4.0f}) g.push_back({y, x});
  RunBinary({"atan2", "_FAtan2", Atan2f, [](double y, double x) { return std::atan2(y, x); }, g, "y, x in -5 .. 7",
             1.5, 0});
}

TEST(FloatFunctionAccuracy, Modulo) {
  std::vector<std::pair<float, float>> g;
  for (float a : Mirror(Linspace(0.1, 50, 25)))
    for (float b : {0.7f, 3.0f, 6.2831855f}) g.push_back({a, b});
  // fraction(a / b) * b: the quotient's rounding error is scaled by b.
  RunBinary({"mod", "_Fmod", Mod, [](double a, double b) { return std::fmod(a, b); }, g, "a -50 .. 50, b 0.7 .. 2pi",
             1e9, 3e-6});
}

}  // namespace
}  // namespace qbc::test::floatfn
