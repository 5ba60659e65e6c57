#pragma once
// The exact values of the float functions, from MPFR at 160 bits (independent of any
// single-precision formula), the error of a float result against them in units of the
// last place, and the argument tables each function is measured on: its whole domain,
// from a fixed seed, so that every routine (before, now, avr-libc's) meets the same
// arguments.
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace qbc::test::floatref {

inline float FromBits(std::uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
inline std::uint32_t Bits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

enum class Fn { Sin, Cos, Tan, Asin, Acos, Atan, Atan2, Sinh, Cosh, Tanh, Exp, Log, Log10, Pow, DegToRad };

// An MPFR number that frees itself.
class Big {
 public:
  Big() { mpfr_init2(v_, 160); }
  explicit Big(double d) : Big() { mpfr_set_d(v_, d, MPFR_RNDN); }
  ~Big() { mpfr_clear(v_); }
  Big(const Big&) = delete;
  Big& operator=(const Big&) = delete;
  mpfr_ptr get() { return v_; }

 private:
  mpfr_t v_;
};

// The exact value of f(x) (f(x, y) for Atan2: y = x, x = y as written; Pow: x^y), as the
// nearest double (NaN where f is not defined).
inline double Exact(Fn f, float xf, float yf = 0) {
  Big x(xf), y(yf), r;
  switch (f) {
    case Fn::Sin: mpfr_sin(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Cos: mpfr_cos(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Tan: mpfr_tan(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Asin: mpfr_asin(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Acos: mpfr_acos(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Atan: mpfr_atan(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Atan2: mpfr_atan2(r.get(), x.get(), y.get(), MPFR_RNDN); break;
    case Fn::Sinh: mpfr_sinh(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Cosh: mpfr_cosh(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Tanh: mpfr_tanh(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Exp: mpfr_exp(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Log: mpfr_log(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Log10: mpfr_log10(r.get(), x.get(), MPFR_RNDN); break;
    case Fn::Pow: mpfr_pow(r.get(), x.get(), y.get(), MPFR_RNDN); break;
    case Fn::DegToRad: {
      Big pi;
      mpfr_const_pi(pi.get(), MPFR_RNDN);
      mpfr_mul(r.get(), x.get(), pi.get(), MPFR_RNDN);
      mpfr_div_ui(r.get(), r.get(), 180, MPFR_RNDN);
      break;
    }
  }
  return mpfr_get_d(r.get(), MPFR_RNDN);
}

// The error of `r` against `exact` in units of the last place of a float of the exact
// value's size (the smallest normal float's unit below it). A NaN result is right where
// the exact value is beyond the float range (the library's overflow) or not defined, and
// an infinite error where it is a number; a number where NaN is right is infinitely off.
inline double UlpError(float r, double exact) {
  const double kMax = std::numeric_limits<float>::max();
  const bool nan_right = std::isnan(exact) || std::fabs(exact) > kMax * (1 + 0x1p-25);
  if (std::isnan(r) || std::isinf(r)) return nan_right ? 0 : std::numeric_limits<double>::infinity();
  if (nan_right) return std::numeric_limits<double>::infinity();
  const int e = exact == 0 ? -126 : std::max(std::ilogb(exact), -126);
  return std::fabs(static_cast<double>(r) - exact) / std::ldexp(1.0, e - 23);
}

// The library flushes results below the smallest normal float to 0: such a result of a
// value that small counts as exact.
inline double UlpErrorFlushed(float r, double exact) {
  if (r == 0 && std::fabs(exact) < 0x1p-126) return 0;
  return UlpError(r, exact);
}

struct Errors {
  double max_ulp = 0;
  float worst_x = 0, worst_y = 0;
  std::size_t over2 = 0;  // results more than 2 ulps off
  std::size_t count = 0;
  double Share() const { return count ? static_cast<double>(over2) / count : 0; }
  void Add(float x, float y, float r, double exact) {
    const double u = UlpErrorFlushed(r, exact);
    ++count;
    if (u > 2) ++over2;
    if (u > max_ulp || (std::isinf(u) && !std::isinf(max_ulp))) max_ulp = u, worst_x = x, worst_y = y;
  }
};

// ---------------------------------------------------------------- argument tables

using Args = std::vector<std::pair<float, float>>;

// x with |x| spread evenly over the exponents from lo to hi, with a random sign when
// `signed_` (and the mantissa random).
inline float LogUniform(std::mt19937_64& rng, double lo, double hi, bool signed_) {
  std::uniform_real_distribution<double> u(std::log2(lo), std::log2(hi));
  float x = static_cast<float>(std::exp2(u(rng)));
  if (signed_ && (rng() & 1)) x = -x;
  return x;
}
inline float Uniform(std::mt19937_64& rng, double lo, double hi) {
  return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(rng));
}

// `n` arguments over the function's whole domain: the everyday interval evenly and the
// rest of the domain by exponent.
inline Args Arguments(Fn f, std::size_t n) {
  std::mt19937_64 rng(0x5EEDu + static_cast<unsigned>(f));
  Args a;
  const double pi = 3.14159265358979323846;
  while (a.size() < n) {
    const bool even = a.size() % 5 < 2;  // two in five from the everyday interval
    float x = 0, y = 0;
    switch (f) {
      case Fn::Sin:
      case Fn::Cos:
      case Fn::Tan:
        // one in five from 2^17 on, where every float is a whole number or a half
        if (a.size() % 5 == 4)
          x = LogUniform(rng, 0x1p17, 3.4e38, true);
        else
          x = even ? Uniform(rng, -2 * pi, 2 * pi) : LogUniform(rng, 0x1p-20, 1e5, true);
        break;
      case Fn::Asin:
      case Fn::Acos:
        x = even ? Uniform(rng, -1, 1) : LogUniform(rng, 0x1p-20, 1, true);
        break;
      case Fn::Atan:
        x = even ? Uniform(rng, -4, 4) : LogUniform(rng, 0x1p-20, 0x1p40, true);
        break;
      case Fn::Atan2:
        x = LogUniform(rng, 0x1p-60, 0x1p60, true);
        y = even ? static_cast<float>(x * LogUniform(rng, 0x1p-4, 0x1p4, true)) : LogUniform(rng, 0x1p-60, 0x1p60, true);
        break;
      case Fn::Sinh:
      case Fn::Cosh:
        x = even ? Uniform(rng, -89.4, 89.4) : LogUniform(rng, 0x1p-20, 89.4, true);
        break;
      case Fn::Tanh:
        x = even ? Uniform(rng, -10, 10) : LogUniform(rng, 0x1p-20, 10, true);
        break;
      case Fn::Exp:
        x = even ? Uniform(rng, -87.3, 88.7) : LogUniform(rng, 0x1p-20, 87.3, true);
        break;
      case Fn::Log:
      case Fn::Log10:
        if (a.size() % 5 == 0)
          x = static_cast<float>(1 + LogUniform(rng, 0x1p-23, 0x1p-2, true));
        else
          x = a.size() % 5 == 1 ? Uniform(rng, 0.5, 2) : LogUniform(rng, 1e-37, 3e38, false);
        break;
      case Fn::Pow:
        // the base over its range, an exponent that keeps the power within the floats
        x = LogUniform(rng, 1e-3, 1e3, false);
        y = Uniform(rng, -12, 12);
        if (a.size() % 7 == 0) {  // a negative base with a whole exponent
          x = -x;
          y = std::round(y);
        } else if (a.size() % 5 == 3) {  // a base next to 1, an exponent up to 1e9
          x = static_cast<float>(1 + LogUniform(rng, 0x1p-23, 0x1p-3, true));
          y = LogUniform(rng, 1, 87 / std::fabs(std::log(static_cast<double>(x))), true);
        } else if (a.size() % 5 == 4) {  // a power next to either end of the floats
          x = LogUniform(rng, 1e-30, 1e30, false);
          y = static_cast<float>(Uniform(rng, 30, 87) / std::log(static_cast<double>(x)) * (rng() & 1 ? 1 : -1));
        }
        break;
      case Fn::DegToRad:
        x = even ? Uniform(rng, -720, 720) : LogUniform(rng, 1e-30, 1e30, true);
        break;
    }
    a.push_back({x, y});
  }
  return a;
}

inline const char* Name(Fn f) {
  static const char* const names[] = {"Sin", "Cos",  "Tan", "Asin", "Acos", "Atan",  "Atan2",   "Sinh",
                                      "Cosh", "Tanh", "Exp", "Log",  "Log10", "Pow", "DegToRad"};
  return names[static_cast<int>(f)];
}

}  // namespace qbc::test::floatref
