// What a BASIC program gets from the float functions where the numbers are easy to get
// wrong: small angles, large angles up to the top of the floats, logarithms near 1, hyperbolic functions near 0 and
// near the top of the range, a quotient beyond the floats, the degree factor. Each result
// is held to the exact value of the function at the argument the program holds (MPFR),
// compiled, assembled and run on the ATmega88.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/float/float_func_reference.h"
#include "tests/support/basic_program.h"

namespace qbc::test {
namespace {

using floatref::Fn;

struct Known {
  const char* expr;  // of X (and Y)
  const char* x;
  const char* y;
  Fn fn;
  double max_ulp;  // 0.5: the float nearest the exact value
};

// Runs every case as A(i) = X, B(i) = Y, R(i) = expr and holds R(i) to the exact value of
// the function at A(i) (and B(i)).
void ExpectKnownValues(const std::string& head, const std::vector<Known>& cases) {
  const std::string n = std::to_string(cases.size());
  std::string src = head + "Dim X As Float, Y As Float\nDim A(" + n + ") As Float, B(" + n + ") As Float, R(" + n +
                    ") As Float\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string k = std::to_string(i);
    src += "X = " + std::string(cases[i].x) + "\nY = " + cases[i].y + "\nA(" + k + ") = X\nB(" + k + ") = Y\nR(" + k +
           ") = " + cases[i].expr + "\n";
  }
  auto run = RunBasic(src + "End\n", "m88", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const int at = 4 * static_cast<int>(i);
    const float x = floatref::FromBits(run->FloatBits("a", at)), y = floatref::FromBits(run->FloatBits("b", at));
    const float r = floatref::FromBits(run->FloatBits("r", at));
    const double exact = floatref::Exact(cases[i].fn, x, y);
    EXPECT_LE(floatref::UlpError(r, exact), cases[i].max_ulp)
        << cases[i].expr << " with X = " << cases[i].x << ", Y = " << cases[i].y << ": " << r << ", exact " << exact;
  }
}

const std::string kHead = "$device = m88\n$clock = 8\n$stack = 64\n";

TEST(FloatFunctionKnownValues, WithinAUnitOfTheExactValue) {
  ExpectKnownValues(kHead, {
                               // small angles: sin x = cos(x - pi/2) cancelled
                               {"Sin(X)", "0.0002", "0", Fn::Sin, 1},
                               {"Sin(X)", "0.001", "0", Fn::Sin, 1},
                               {"Sin(X)", "-0.05", "0", Fn::Sin, 1},
                               // large angles: a one-float 2 pi lost their digits
                               {"Sin(X)", "1000", "0", Fn::Sin, 1},
                               {"Sin(X)", "10000", "0", Fn::Sin, 1},
                               {"Sin(X)", "100000", "0", Fn::Sin, 1},
                               {"Cos(X)", "10000", "0", Fn::Cos, 1},
                               {"Tan(X)", "10000", "0", Fn::Tan, 1},
                               // logarithms near 1
                               {"Log(X)", "1.001", "0", Fn::Log, 1},
                               {"Log(X)", "1.00000024", "0", Fn::Log, 1},
                               {"Log10(X)", "0.999", "0", Fn::Log10, 1},
                               // (e^x - e^-x) / 2 cancelled
                               {"Sinh(X)", "0.00001", "0", Fn::Sinh, 1},
                               {"Sinh(X)", "0.00000001", "0", Fn::Sinh, 1},
                               {"Tanh(X)", "0.0001", "0", Fn::Tanh, 1},
                               // e^x overflowed or vanished on the way
                               {"Cosh(X)", "-87.5", "0", Fn::Cosh, 1},
                               {"Cosh(X)", "89", "0", Fn::Cosh, 1},
                               {"Sinh(X)", "-89", "0", Fn::Sinh, 1},
                               // y / x beyond the floats
                               {"Atan2(X, Y)", "1E30", "1E-30", Fn::Atan2, 1},
                               {"Atan2(X, Y)", "-1E-30", "-1E30", Fn::Atan2, 1},
                               // the float nearest pi/180
                               {"DegToRad(X)", "1", "0", Fn::DegToRad, 0.5},
                               {"DegToRad(X)", "3", "0", Fn::DegToRad, 0.5},
                               {"DegToRad(X)", "5", "0", Fn::DegToRad, 0.5},
                           });
}

// From 2^17 on every float is a whole number or a half, and each has its sine: taken modulo
// a one-float 2 pi they lost their digits (Sin(1000000) -0.3826834, Tan(5311103) NaN).
TEST(FloatFunctionKnownValues, AnglesUpToTheTopOfTheFloats) {
  ExpectKnownValues(kHead, {
                               {"Sin(X)", "131073", "0", Fn::Sin, 1},
                               {"Sin(X)", "1000000", "0", Fn::Sin, 1},
                               {"Tan(X)", "5311103", "0", Fn::Tan, 1},
                               {"Cos(X)", "-3.0E38", "0", Fn::Cos, 1},
                               // the float nearest a multiple of pi/2 (2^-29.86 quarter turns off)
                               {"Sin(X)", "7.72917986E28", "0", Fn::Sin, 1},
                               {"Tan(X)", "7.72917986E28", "0", Fn::Tan, 1},
                           });
}

// A power whose exponent's product with the logarithm is large: rounded to a float, b ln a
// lost up to 2^-18 of the result (1.00001657^-5064735 was 97 units off).
TEST(FloatFunctionKnownValues, PowersOfBasesNextToOneAndNearTheEnds) {
  ExpectKnownValues(kHead, {
                               {"Pow(X, Y)", "1.00001657", "-5064735", Fn::Pow, 2},
                               {"Pow(X, Y)", "1.0000001", "600000000", Fn::Pow, 2},
                               {"Pow(X, Y)", "0.99999988", "-700000000", Fn::Pow, 2},
                               {"Pow(X, Y)", "1.001", "80000", Fn::Pow, 2},
                               {"Pow(X, Y)", "2.5", "96", Fn::Pow, 2},
                               {"Pow(X, Y)", "0.3", "-72", Fn::Pow, 2},
                               {"Pow(X, Y)", "7", "45", Fn::Pow, 2},
                           });
}

// In degrees mode the angle goes through the degree factor first: Sin(30) is 0.5.
TEST(FloatFunctionKnownValues, DegreesModeAngles) {
  struct Deg {
    const char* expr;
    double degrees;
    double exact;
  };
  const std::vector<Deg> cases = {
      {"Sin(X)", 30, 0.5}, {"Sin(X)", 210, -0.5}, {"Cos(X)", 60, 0.5}, {"Sin(X)", 45, 0.70710678118654752},
  };
  std::string src = "$angles = deegrees\n" + kHead + "Dim X As Float\nDim R(" + std::to_string(cases.size()) +
                    ") As Float\nDim T As Float\n";
  for (std::size_t i = 0; i < cases.size(); ++i)
    src += "X = " + std::to_string(cases[i].degrees) + "\nR(" + std::to_string(i) + ") = " + cases[i].expr + "\n";
  // tan 90 degrees has no value: the argument is pi/2 itself
  src += "X = 90\nT = Tan(X)\nEnd\n";
  auto run = RunBasic(src, "m88", 20'000'000);
  ASSERT_TRUE(run->ok) << run->Diagnostics();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const float r = floatref::FromBits(run->FloatBits("r", 4 * static_cast<int>(i)));
    EXPECT_LE(floatref::UlpError(r, cases[i].exact), 1.0) << cases[i].expr << " of " << cases[i].degrees << " degrees: "
                                                          << r;
  }
  EXPECT_EQ(run->FloatBits("t") >> 23 & 0xFF, 0xFFu) << "Tan(90 degrees) = " << floatref::FromBits(run->FloatBits("t"));
}

}  // namespace
}  // namespace qbc::test
