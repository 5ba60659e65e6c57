#pragma once
// The exact decimal text of a float, the reference the float-to-text routine is held to:
// the float's value rounded to 1 + d significant digits, a value exactly halfway between
// two texts taking the one further from zero, in _Fstr's layout (sign or blank, digit,
// "." and d digits when d is not 0, "E", the exponent's sign and two digits). Zero and the
// subnormals give the zero text, infinities and NaN "Err", as _Fstr writes them.
//
// Computed with 128-bit integers: the float times 10^(d - k) is m * 5^q * 2^b for q >= 0
// (m * 5^44 < 2^127) and m * 2^b / 5^r otherwise (5^38 < 2^89).
#include <cstdint>

#include "tests/float/float_text_model.h"

namespace qbc::test::ftext {

inline u128 Pow5(int n) {
  u128 p = 1;
  for (int i = 0; i < n; ++i) p *= 5;
  return p;
}

// Is m * 2^s at least 10^k? (s = e2 - 23)
inline bool AtLeastPowerOfTen(std::uint32_t m, int s, int k) {
  if (k >= 0) {  // m * 2^(s - k) >= 5^k
    const int t = s - k;
    if (t >= 0) return t > 100 || (static_cast<u128>(m) << t) >= Pow5(k);
    return -t < 100 && static_cast<u128>(m) >= (Pow5(k) << -t);
  }
  // m * 5^r * 2^(s + r) >= 1
  const int r = -k;
  const int t = s + r;
  if (t >= 0) return true;
  return -t < 127 && ((static_cast<u128>(m) * Pow5(r)) >> -t) != 0;
}

// The float's decimal exponent: floor(log10 of its value).
inline int DecimalExponent(std::uint32_t m, int e2) {
  int k = e2 >= 0 ? e2 * 30103 / 100000 : -((-e2 * 30103 + 99999) / 100000);
  while (!AtLeastPowerOfTen(m, e2 - 23, k)) --k;
  while (AtLeastPowerOfTen(m, e2 - 23, k + 1)) ++k;
  return k;
}

// The float's digits rounded to 1 + d of them: n in [10^d, 10^(d+1)) and the exponent.
struct Rounded {
  std::uint32_t n;
  int k;
  bool tie;  // exactly halfway
};
inline Rounded RoundExact(std::uint32_t m, int e2, int d) {
  int k = DecimalExponent(m, e2);
  const int q = d - k;
  u128 n;
  bool up, tie;
  if (q >= 0) {
    const u128 a = static_cast<u128>(m) * Pow5(q);
    const int b = e2 - 23 + q;
    if (b >= 0) {
      n = a << b;
      up = tie = false;
    } else {
      const int s = -b;
      n = a >> s;
      const u128 rest = a & ((static_cast<u128>(1) << s) - 1);
      const u128 half = static_cast<u128>(1) << (s - 1);
      up = rest >= half;
      tie = rest == half;
    }
  } else {
    const int r = -q;
    const int b = e2 - 23 - r;
    const u128 num = b >= 0 ? static_cast<u128>(m) << b : static_cast<u128>(m);
    const u128 den = b >= 0 ? Pow5(r) : Pow5(r) << -b;
    n = num / den;
    const u128 rest = num % den;
    up = 2 * rest >= den;
    tie = 2 * rest == den;
  }
  std::uint32_t v = static_cast<std::uint32_t>(n) + (up ? 1 : 0);
  std::uint32_t top = 1;
  for (int i = 0; i <= d; ++i) top *= 10;
  if (v == top) {
    v /= 10;
    ++k;
  }
  return {v, k, tie};
}

inline Text ExactText(std::uint32_t bits, unsigned decimals) {
  const int d = decimals >= 7 ? 6 : static_cast<int>(decimals);
  const std::uint32_t field = (bits >> 23) & 0xFF;
  if (field == 0 || field == 0xFF) return FstrModel(bits, decimals);  // the fixed texts
  const Rounded r = RoundExact((bits & 0x7FFFFF) | 0x800000, static_cast<int>(field) - 127, d);
  char digits[8];
  std::uint32_t v = r.n;
  for (int i = d; i >= 0; --i, v /= 10) digits[i] = static_cast<char>('0' + v % 10);
  Text t;
  t.Put(bits >> 31 ? '-' : ' ');
  t.Put(digits[0]);
  if (d) t.Put('.');
  for (int i = 1; i <= d; ++i) t.Put(digits[i]);
  t.Put('E');
  t.Put(r.k < 0 ? '-' : '+');
  const int k = r.k < 0 ? -r.k : r.k;
  t.Put(static_cast<char>('0' + k / 10));
  t.Put(static_cast<char>('0' + k % 10));
  return t;
}

}  // namespace qbc::test::ftext
