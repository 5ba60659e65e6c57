#pragma once
// Host model of the float function and float-to-text routines: the same steps on the same
// single-precision values, with the core's arithmetic as IEEE single operations rounded to
// nearest even, results below the normal range flushed to +0, overflow and any operand
// with the exponent field 255 giving NaN. The simulator must match it bit for bit. The
// float-to-text routine works on integers only: its model is in float_text_model.h.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/float/float_model.h"
#include "tests/float/float_text_model.h"

namespace qbc::test::floatfn {

using flt::Bits;
using flt::FromBits;
inline unsigned Exp(float f) { return (Bits(f) >> 23) & 0xFF; }
inline bool IsNan(float f) { return Exp(f) == 0xFF; }  // infinity patterns count as NaN
inline float NaN() { return FromBits(0xFFC00000u); }
inline float Neg(float f) { return FromBits(Bits(f) ^ 0x80000000u); }
inline float Abs(float f) { return FromBits(Bits(f) & 0x7FFFFFFFu); }
inline bool SignBit(float f) { return Bits(f) >> 31; }
inline float WithSign(float f, uint32_t sign) { return FromBits(Bits(f) ^ sign); }

// The core's operations.
inline float Fix(float r) {
  if (IsNan(r)) return NaN();
  if (Exp(r) == 0) return 0.0f;
  return r;
}
inline float Mul(float a, float b) { return IsNan(a) || IsNan(b) ? NaN() : Fix(a * b); }
inline float Add(float a, float b) { return IsNan(a) || IsNan(b) ? NaN() : Fix(a + b); }
inline float Sub(float a, float b) { return Add(a, Neg(b)); }
inline float Div(float a, float b) {
  if (IsNan(a) || IsNan(b) || Exp(b) == 0) return NaN();
  return Fix(a / b);
}
inline float Inv(float a) { return Div(1.0f, a); }
inline int32_t Xsf(float a) {  // truncation toward zero; below 1 and from 2^32 on: 0
  unsigned e = Exp(a);
  if (e < 0x7F || e >= 0x7F + 32) return 0;
  uint64_t m = (Bits(a) & 0x7FFFFFu) | 0x800000u;
  int sh = static_cast<int>(e) - 0x7F - 23;
  uint32_t v = static_cast<uint32_t>(sh >= 0 ? m << sh : m >> -sh);
  return static_cast<int32_t>(SignBit(a) ? 0u - v : v);
}
inline float S2f(int32_t n) { return static_cast<float>(n); }
inline float F2e(float a, int n) {
  if (IsNan(a)) return NaN();
  int e = static_cast<int>(Exp(a));
  if (e == 0) return 0.0f;
  e += n;
  if (e >= 0xFF) return NaN();
  if (e <= 0) return 0.0f;
  return FromBits((Bits(a) & 0x807FFFFFu) | (static_cast<uint32_t>(e) << 23));
}
// The nearest whole number, halves away from zero, as the routines take it: the
// truncation of a + 1/2 (a - 1/2 below zero).
inline int32_t Nearest(float a) { return Xsf(Add(a, SignBit(a) ? -0.5f : 0.5f)); }

// Constants the routines load.
inline const float kPi = FromBits(0x40490FDB), kHalfPi = FromBits(0x3FC90FDB),
                   kQuarterPi = FromBits(0x3F490FDB), kTwoPi = FromBits(0x40C90FDB),
                   kLog2e = FromBits(0x3FB8AA3B), kLn2 = FromBits(0x3F317218),
                   kLn10 = FromBits(0x40135D8E), kLog10of2 = FromBits(0x3E9A209B),
                   kTenth = FromBits(0x3DCCCCCD);
// pi/2 and pi as the float nearest and the rest below it; ln 2 as a head of 15 bits
// (whose products with an exponent are exact) and the rest.
inline const float kHalfPiLo = FromBits(0xB33BBD2E), kPiLo = FromBits(0xB3BBBD2E);
inline const float kTwoOverPi = FromBits(0x3F22F983);
inline const float kLn2Hi = FromBits(0x3F317200), kLn2Lo = FromBits(0x35BFBE8E);
inline const float kLog10e = FromBits(0x3EDE5BD9);
inline const float kDegToRad = FromBits(0x3C8EFA35), kRadToDeg = FromBits(0x42652EE1);

// ---------------------------------------------------------------- coefficient tables

// A table as the library emits it: count N, N + 1 coefficients highest power first, count
// M and M + 1 more (M = 0: none). A coefficient is 4 bytes: the biased exponent, the sign
// with mantissa bits 22..16, then bits 15..8 and 7..0.
inline std::vector<uint8_t> Table(std::initializer_list<uint32_t> first, std::initializer_list<uint32_t> second = {}) {
  std::vector<uint8_t> t;
  auto put = [&t](std::initializer_list<uint32_t> poly) {
    t.push_back(static_cast<uint8_t>(poly.size() - 1));
    for (uint32_t c : poly) {
      t.push_back(static_cast<uint8_t>(c >> 23));
      t.push_back(static_cast<uint8_t>(((c >> 24) & 0x80) | ((c >> 16) & 0x7F)));
      t.push_back(static_cast<uint8_t>(c >> 8));
      t.push_back(static_cast<uint8_t>(c));
    }
  };
  put(first);
  if (second.size() == 0)
    t.push_back(0);
  else
    put(second);
  return t;
}

// The minimax approximations of the functions' kernels (u = r^2 or x^2).
// sin r = r + S(u) u r on |r| <= 0.792 (pi/4 and the reduction's slack).
inline const std::vector<uint8_t> kTblSin = Table({0xB94C7464, 0x3C088330, 0xBE2AAAA2});
// cos r = 1 - u/2 + u^2 C(u), the whole polynomial in u.
inline const std::vector<uint8_t> kTblCos = Table({0x37CD2B87, 0xBAB60718, 0x3D2AAAA7, 0xBF000000, 0x3F800000});
// tan r = r + N(u)/D(u) u r: D first, then N.
inline const std::vector<uint8_t> kTblTan = Table({0xBECF7D9E, 0x3F800000}, {0xB88BD180, 0xBAE59489, 0x3EAAAAAA});
// asin x = x + P(u) u x on |x| <= 1/2.
inline const std::vector<uint8_t> kTblAsin = Table({0x3D2E4CAF, 0x3CC51348, 0x3D3A3A3E, 0x3D9982E4, 0x3E2AAAD6});
// atan x = x + N(u)/D(u) u x on |x| <= 1.
inline const std::vector<uint8_t> kTblAtan =
    Table({0x3D473AB1, 0x3F101F21, 0x3FB9CCFC, 0x3F800000}, {0xBD248B56, 0xBE91560B, 0xBEAAAAA6});
// e^r - 1 = r + E(r) r^2 on |r| <= ln 2 / 2.
inline const std::vector<uint8_t> kTblExp = Table({0x3AB5F601, 0x3C0913CE, 0x3D2AAB3A, 0x3E2AAA58, 0x3EFFFFFF});
// ln m = f - (f - R(z) z) s with f = m - 1, s = f / (f + 2), z = s^2, m in [sqrt(1/2), sqrt(2)).
inline const std::vector<uint8_t> kTblLn = Table({0x3E993842, 0x3ECCAD70, 0x3F2AAABD});
// sinh x = x + P(u) u x on |x| < 1.
inline const std::vector<uint8_t> kTblSinh = Table({0x363D2E8D, 0x394FFE83, 0x3C08889B, 0x3E2AAAAB});
// tanh x = x + N(u)/D(u) u x on |x| < 0.55.
inline const std::vector<uint8_t> kTblTanh = Table({0x3ECF2D25, 0x3F800000}, {0xBACB23BF, 0xBEAAAAA6});

// A coefficient: biased exponent, sign with mantissa bits 22..16, then bits 15..0.
inline float Coefficient(const uint8_t* b) {
  uint32_t u = (static_cast<uint32_t>(b[1] & 0x80) << 24) | (static_cast<uint32_t>(b[0]) << 23) |
               (static_cast<uint32_t>(b[1] & 0x7F) << 16) | (static_cast<uint32_t>(b[2]) << 8) | b[3];
  return FromBits(u);
}
struct Polys {
  std::vector<float> first, second;
};
inline Polys ParseTable(const std::vector<uint8_t>& t) {
  Polys p;
  size_t i = 0;
  int n = t[i++];
  for (int k = 0; k <= n; ++k, i += 4) p.first.push_back(Coefficient(&t[i]));
  int m = t[i++];
  if (m)
    for (int k = 0; k <= m; ++k, i += 4) p.second.push_back(Coefficient(&t[i]));
  return p;
}
inline float Horner(const std::vector<float>& c, float x) {
  float acc = c[0];
  for (size_t i = 1; i < c.size(); ++i) acc = Add(Mul(acc, x), c[i]);
  return acc;
}
inline float Pot(float x, const std::vector<uint8_t>& table) {
  Polys p = ParseTable(table);
  float r = Horner(p.first, x);
  if (p.second.empty()) return r;
  return Div(Horner(p.second, x), r);
}
// x + T(u) u x, u = x^2: the odd kernels, whose small term carries the table's rounding.
inline float OddKernel(float x, const std::vector<uint8_t>& table) {
  float u = Mul(x, x);
  return Add(Mul(Mul(Pot(u, table), u), x), x);
}

// ---------------------------------------------------------------- the functions

inline float Modf(float a, float* ipart) {
  unsigned e = Exp(a);
  if (e < 0x7F) {
    *ipart = 0.0f;
    return a;
  }
  if (e == 0xFF) {
    *ipart = a;
    return NaN();
  }
  if (e >= 0x96) {
    *ipart = a;
    return 0.0f;
  }
  float i = S2f(Xsf(a));
  *ipart = i;
  return Add(a, Neg(i));
}
inline float Mod(float a, float b) {
  b = Abs(b);
  if (Exp(b) == 0) return NaN();
  float ip;
  return Mul(Modf(Div(a, b), &ip), b);
}

// e^(x + l) * 2^n for |x + l| < 256: x + l = k ln 2 + r with k the nearest whole number to
// (x + l) log2 e (0 below ln 2 / 2), ln 2 in two parts so that k ln 2 loses nothing, r as
// (x - k ln 2 head) + (l - k ln 2 rest); then (1 + (e^r - 1)) with k + n added to its
// exponent. Beyond the float range (and from |x + l| = 256 on): NaN above, 0 below. The
// exponential has no l (0).
inline float ExpScaled(float x, int n, float l = 0.0f) {
  const float w = Add(x, l);
  if (Exp(w) >= 0x87) return SignBit(w) ? 0.0f : NaN();  // |w| >= 256
  float r = w;
  int k = 0;
  if ((Bits(w) & 0x7FFFFFFFu) >= 0x3EB17218u) {
    k = Nearest(Mul(w, kLog2e));
    float kf = S2f(k);
    r = Add(Mul(kf, Neg(kLn2Hi)), x);
    r = Add(Add(Mul(kf, Neg(kLn2Lo)), l), r);
  }
  // e^r - 1 = r + E(r) r^2
  float p = Add(Add(Mul(Pot(r, kTblExp), Mul(r, r)), r), 1.0f);
  int e = static_cast<int>(Exp(p)) + k + n;
  if (e >= 0xFF) return NaN();
  if (e <= 0) return 0.0f;
  return FromBits((Bits(p) & 0x807FFFFFu) | (static_cast<uint32_t>(e) << 23));
}
inline float Expf(float a) { return IsNan(a) ? NaN() : ExpScaled(a, 0); }

// ln A = e ln 2 + ln m, A = m 2^e with m in [sqrt(1/2), sqrt(2)): ln m = f - c with f = m - 1
// exact and c = (f - R(z) z) s, s = f / (f + 2), z = s^2.
struct LnParts {
  float f, c;
  int e;
  float lnm() const { return Sub(f, c); }
};
inline LnParts SplitLn(float a) {
  int e = static_cast<int>(Exp(a)) - 127;
  float m = FromBits((Bits(a) & 0x7FFFFFu) | 0x3F800000u);
  if (Bits(m) >= 0x3FB504F3u) {
    m = FromBits(Bits(m) - 0x00800000u);
    ++e;
  }
  float f = Add(m, -1.0f);
  float s = Div(f, Add(f, 2.0f));
  float z = Mul(s, s);
  float c = Mul(Sub(f, Mul(Pot(z, kTblLn), z)), s);
  return {f, c, e};
}
// e ln 2 + ln m as e ln2 head + (e ln 2 rest + ln m), the head's product exact.
inline float Lnf(float a) {
  if (SignBit(a) || Exp(a) == 0 || Exp(a) == 0xFF) return NaN();
  LnParts p = SplitLn(a);
  if (p.e == 0) return p.lnm();
  float ef = S2f(p.e);
  return Add(Mul(ef, kLn2Hi), Add(Mul(ef, kLn2Lo), p.lnm()));
}
inline float Log10f(float a) { return Mul(Lnf(a), kLog10e); }

// The float with the low 12 bits of its mantissa cleared: its product with another such
// head, or with a float of 12 bits, is exact.
inline float Head12(float a) { return FromBits(Bits(a) & 0xFFFFF000u); }
// |A|^B = 2^n e^w: B e = n + g exactly (B split in a head of 12 bits and the rest, each
// times e exact), w = g ln 2 + B ln m kept in two parts t + l, so that the exponential is
// right to its last bits for any w up to 88: B f as the exact head product t = Bh fh, and
// l = ((g ln 2 - B c) + Bl f) + Bh fl; where |B f| is below 1/2, t = B f and l = g ln 2 - B c.
inline float PowMagnitude(float a, float b) {
  LnParts p = SplitLn(a);
  float ef = S2f(p.e);
  float bh = Head12(b), bl = Sub(b, bh);
  float p1 = Mul(bh, ef), p2 = Mul(bl, ef);
  if (Exp(p1) >= 0x88) return SignBit(p1) ? 0.0f : NaN();  // |B e| >= 512
  int32_t n = Xsf(p1);  // whole part: g below 1, the exponential reduces w again
  float g = Add(Sub(p1, S2f(n)), p2);
  float l = Add(Neg(Mul(b, p.c)), Mul(g, kLn2));
  if (Exp(b) + Exp(p.f) < 252) return ExpScaled(Mul(b, p.f), n, l);  // |B f| below 1/2
  l = Add(Mul(bl, p.f), l);
  float fh = Head12(p.f), fl = Sub(p.f, fh);
  l = Add(Mul(fl, bh), l);
  return ExpScaled(Mul(fh, bh), n, l);
}
inline float Powf(float a, float b) {
  if (Exp(b) == 0) return 1.0f;
  if (Exp(a) == 0) return SignBit(b) ? NaN() : 0.0f;
  if (IsNan(a) || IsNan(b)) return NaN();
  if (!SignBit(a)) return PowMagnitude(a, b);
  unsigned eb = Exp(b);
  bool odd = false;
  if (eb < 0x97) {
    if (eb < 0x7F) return NaN();
    uint32_t m = (Bits(b) & 0x7FFFFFu) | 0x800000u;
    unsigned shift = 0x96 - eb;
    if (shift && (m & ((1u << shift) - 1))) return NaN();
    odd = (m >> shift) & 1;
  }
  float r = PowMagnitude(Abs(a), b);
  return odd && Exp(r) != 0 ? Neg(r) : r;
}

// Correctly rounded; subnormal operands are values; -0 gives +0, other negative operands
// NaN. The results are never subnormal.
inline float Sqrtf(float a) {
  if ((Bits(a) & 0x7FFFFFFFu) == 0) return 0.0f;
  if (SignBit(a) || IsNan(a)) return NaN();
  return std::sqrt(a);
}

// |x| = k pi/2 + r (x finite), |r| <= pi/4, from the bits of 2/pi
// (kTwoOverPiBits: five zero bytes, then 2/pi from its first bit on, 23 bytes), without
// float arithmetic. With x = m 2^(e - 150), the 11 bytes of the table from bit e - 111 on
// (rounded down to a byte; m shifted left by the bits left over) are the part of
// 2^(e - 150) 2/pi below 4 to 86 bits, 2 above the point: m times them modulo 2^88 is
// |x| 2/pi modulo 4 to 2^-55, whatever the size of x (the bits above add whole turns). Its
// nearest whole number is k; the fraction f (from 1/2 on complemented: its distance to 1,
// less 2^-86) is taken up to its first 1 bit, and its top 32 bits times pi/2 (32 bits)
// give r, rounded once with the rest counted as lost (r is never exact).
inline constexpr uint8_t kTwoOverPiBits[28] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x51, 0x7C, 0xC1, 0xB7, 0x27,
                                               0x22, 0x0A, 0x94, 0xFE, 0x13, 0xAB, 0xE8, 0xFA, 0x9A, 0x6E,
                                               0xE0, 0x6D, 0xB1, 0x4A, 0xCC, 0x9E, 0x21, 0xC8};
inline constexpr uint64_t kHalfPiTimes2To30 = 0x6487ED51u;
struct Reduced {
  float r;
  int q;  // k modulo 4
};
inline Reduced ReduceQuadrant(float ax) {
  if (Bits(ax) < 0x3F490000u) return {ax, 0};  // below 0.78515625 (a little below pi/4): x itself
  __extension__ typedef unsigned __int128 U;  // the 88-bit fixed point
  const int o = static_cast<int>(Exp(ax)) - 111;
  const U m = static_cast<U>((Bits(ax) & 0x7FFFFFu) | 0x800000u) << (o & 7);
  U w = 0;
  for (int i = 0; i < 11; ++i) w = (w << 8) | kTwoOverPiBits[(o >> 3) + i];
  const U mask = (static_cast<U>(1) << 88) - 1;
  U acc = (m * w) & mask;
  const int top = static_cast<int>(acc >> 80);
  const int q = ((top + 0x20) >> 6) & 3;
  const bool negative = top & 0x20;
  if (negative) acc = ~acc & mask;
  acc &= (static_cast<U>(1) << 86) - 1;
  int e = 130;  // r = (the product's top 24 bits) 2^(e - 150)
  while ((acc >> 80) == 0) acc = (acc << 8) & mask, e -= 8;
  while ((acc >> 87) == 0) acc = (acc << 1) & mask, --e;
  const uint64_t v = (static_cast<uint64_t>(acc >> 56) * kHalfPiTimes2To30) >> 32;  // the rest lost
  const float r = static_cast<float>(std::ldexp(static_cast<double>(2 * v + 1), e - 150 - 8 - 1));
  return {negative ? Neg(r) : r, q};
}
inline float SinKernel(float r) { return OddKernel(r, kTblSin); }
inline float CosKernel(float r) { return Pot(Mul(r, r), kTblCos); }
inline float TanKernel(float r) { return OddKernel(r, kTblTan); }

// sin x and cos x: the kernel of the quadrant, sin x = sin(k pi/2 + r), cos x the same
// with k one higher; the sign of x applied to the sine last.
inline float SinQuadrant(float a, int offset) {
  Reduced d = ReduceQuadrant(a);
  d.q += offset;
  float v = (d.q & 1) ? CosKernel(d.r) : SinKernel(d.r);
  return (d.q & 2) ? Neg(v) : v;
}
// Below 2^-13 the kernels give x and 1 themselves.
inline float Sinf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float x = Abs(a);
  if (IsNan(x)) return NaN();
  return WithSign(SinQuadrant(x, 0), s);
}
inline float Cosf(float a) {
  float x = Abs(a);
  if (IsNan(x)) return NaN();
  return SinQuadrant(x, 1);
}
// tan x = -1 / tan r in the odd quadrants; there an r below 2^-24 (tan x beyond 2^24, x
// within a few 1e-8 of a pole) gives NaN.
inline float Tanf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float x = Abs(a);
  if (IsNan(x)) return NaN();
  Reduced d = ReduceQuadrant(x);
  float v = TanKernel(d.r);
  if (d.q & 1) {
    if (Exp(d.r) < 0x67) return NaN();
    v = Neg(Inv(v));
  }
  return WithSign(v, s);
}

// asin |x| for |x| below 1/2 from the table; from 1/2 on, pi/2 - 2 asin s with z = (1 - |x|) / 2
// and s = sqrt z, as (pi/2 - 2 s) - (2 P(z) z s - pi/2's rest).
struct HalfAngle {
  float s;  // sqrt z
  float w;  // P(z) z s
};
inline HalfAngle AsinHalf(float ax) {
  float z = F2e(Add(Neg(ax), 1.0f), -1);
  float s = Sqrtf(z);
  return {s, Mul(Mul(Pot(z, kTblAsin), z), s)};
}
inline float Asinf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float x = Abs(a);
  if (IsNan(x) || Bits(x) > 0x3F800000u) return NaN();
  if ((Bits(x) >> 24) < 0x39) return a;
  if (Bits(x) < 0x3F000000u) return WithSign(OddKernel(x, kTblAsin), s);
  HalfAngle h = AsinHalf(x);
  float c = Sub(F2e(h.w, 1), kHalfPiLo);
  return WithSign(Sub(Sub(kHalfPi, F2e(h.s, 1)), c), s);
}
// acos x = pi/2 - asin x for |x| below 1/2, 2 asin s above, pi - 2 asin s below -1/2 (as
// twice pi/2 - asin s).
inline float Acosf(float a) {
  float x = Abs(a);
  if (IsNan(x) || Bits(x) > 0x3F800000u) return NaN();
  if (Bits(x) < 0x3F000000u) {
    float c = Sub(Mul(Mul(Pot(Mul(a, a), kTblAsin), Mul(a, a)), a), kHalfPiLo);
    return Sub(Sub(kHalfPi, a), c);
  }
  HalfAngle h = AsinHalf(x);
  if (!SignBit(a)) return F2e(Add(h.w, h.s), 1);
  return F2e(Sub(Sub(kHalfPi, h.s), Sub(h.w, kHalfPiLo)), 1);
}
// The angle of (x, y): the arctangent w of the smaller magnitude over the larger (no
// quotient overflows); pi/2 - w when |y| is the larger, pi/2 + w when x < 0 too; else pi - w
// for x < 0 (as (pi/2 + pi/2) - (w - pi/2's rest)); y's sign last. An operand with the
// exponent field 0 counts as a zero without a sign (atan keeps a zero's sign: it is the
// angle of (1, x) with x's sign kept).
inline float AngleOf(float y, float x, bool keepZeroSign) {
  const uint32_t s = (Exp(y) || keepZeroSign) ? Bits(y) & 0x80000000u : 0;
  const bool neg = Exp(x) && SignBit(x);
  const float ay = Abs(y), ax = Abs(x);
  const bool swap = Bits(ay) > Bits(ax);
  float w = OddKernel(swap ? Div(ax, ay) : Div(ay, ax), kTblAtan);
  if (swap)
    w = Sub(kHalfPi, Sub(neg ? Neg(w) : w, kHalfPiLo));
  else if (neg)
    w = Sub(Sub(kHalfPi, Neg(kHalfPi)), Sub(w, kHalfPiLo));
  return WithSign(w, s);
}
inline float Atanf(float a) { return AngleOf(a, 1.0f, true); }
inline float Atan2f(float y, float x) { return AngleOf(y, x, false); }

// sinh and cosh overflow from 89.41599 on (e^x / 2 beyond the floats).
inline bool HyperbolicOverflows(float ax) { return Bits(ax) >= 0x42B2D4FDu; }
// sinh: the table below 1, where the difference of two exponentials would cancel; above,
// E - 1/(4E) with E = e^|x| / 2, the halving taken into the exponential's scaling, so
// that the results up to 89.41599 do not overflow on the way (1/(4E) vanishes from 9 on).
inline float Sinhf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float x = Abs(a);
  if ((Bits(x) >> 24) < 0x39) return a;
  if (IsNan(x) || HyperbolicOverflows(x)) return NaN();
  if (Bits(x) < 0x3F800000u) return WithSign(OddKernel(x, kTblSinh), s);
  float e = ExpScaled(x, -1);
  return WithSign(Add(Neg(Div(0.25f, e)), e), s);
}
// cosh: E + 1/(4E), E = e^|x| / 2 (near 0 the two roundings of e^|x| and its reciprocal
// cancel).
inline float Coshf(float a) {
  float x = Abs(a);
  if (IsNan(x) || HyperbolicOverflows(x)) return NaN();
  if ((Bits(x) >> 24) < 0x39) return 1.0f;
  float e = ExpScaled(x, -1);
  return Add(Div(0.25f, e), e);
}
// tanh: the table below 0.55, 1 - 2 / (e^2|x| + 1) above, 1.0 from 9.010913 on (where
// tanh rounds to 1).
inline float Tanhf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float x = Abs(a);
  if ((Bits(x) >> 24) < 0x39) return a;
  if (IsNan(x)) return NaN();
  float v;
  if (Bits(x) >= 0x41102CB4u)
    v = 1.0f;
  else if (Bits(x) >= 0x3F0CCCCDu)
    v = Add(Neg(Div(2.0f, Add(ExpScaled(F2e(x, 1), 0), 1.0f))), 1.0f);
  else
    v = OddKernel(x, kTblTanh);
  return WithSign(v, s);
}

// ---------------------------------------------------------------- float to text

// _Fstr: the model of its integer steps (float_text_model.h).
inline std::string Str(float a, int d) { return ftext::Fstr(Bits(a), static_cast<unsigned>(d)); }

// The fixed-point rewrite of a scientific text: places c, decimals d, fill character
// fill (0: none).
inline std::string Fmt(const std::string& sci, int c, int d, int fill) {
  if (sci.empty() || sci[0] == 'E') return sci;
  size_t p = sci.find('E');
  bool neg = sci[p + 1] == '-';
  int e = (sci[p + 2] & 15) * 10 + (sci[p + 3] & 15);
  if (c == 0) c = 1;
  int n, fills, z = 0, w;
  if (neg) {
    n = 0;
    fills = c - 1;
    z = (e - 1) & 0xFF;
    w = c;
  } else {
    n = e + 1;
    if (n > c) return sci;
    w = c;
    fills = w - n;
  }
  if (w + d > 11) return sci;
  std::string out(1, sci[0]);
  if (fill) out += std::string(fills, static_cast<char>(fill));
  size_t q = 1;
  auto next = [&]() {
    while (sci[q] == '.') ++q;
    if (sci[q] == 'E') return '0';
    return sci[q++];
  };
  if (n == 0) out += '0';
  for (int i = 0; i < n; ++i) out += next();
  out += '.';
  for (int i = 0; i < d; ++i) {
    if (z > 0) {
      --z;
      out += '0';
    } else {
      out += next();
    }
  }
  return out;
}

// _Fdp: the text the caller reads in _s2tmp (with no places the scientific text).
inline std::string Dp(float a, int c, int d, int fill) {
  if (c == 0) return Str(a, 0);
  int n = c + d;
  if (n > 255 || n >= 7) n = 6;
  return Fmt(Str(a, n), c, d, fill);
}

}  // namespace qbc::test::floatfn
