#pragma once
// Host model of the float function and float-to-text routines: the same steps on the same
// single-precision values, with the core's arithmetic as IEEE single operations rounded to
// nearest even, results below the normal range flushed to +0, overflow and any operand
// with the exponent field 255 giving NaN. The simulator must match it bit for bit. The
// float-to-text routine works on integers only: its model is in float_text_model.h.
#include <algorithm>
#include <cmath>
#include <cstdint>
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

// The core's operations.
inline float Fix(float r) {
  if (IsNan(r)) return NaN();
  if (Exp(r) == 0) return 0.0f;
  return r;
}
inline float Mul(float a, float b) { return IsNan(a) || IsNan(b) ? NaN() : Fix(a * b); }
inline float Add(float a, float b) { return IsNan(a) || IsNan(b) ? NaN() : Fix(a + b); }
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

// Constants the routines load.
inline const float kPi = FromBits(0x40490FDB), kHalfPi = FromBits(0x3FC90FDB),
                   kQuarterPi = FromBits(0x3F490FDB), kTwoPi = FromBits(0x40C90FDB),
                   kLog2e = FromBits(0x3FB8AA3B), kLn2 = FromBits(0x3F317218),
                   kLn10 = FromBits(0x40135D8E), kLog10of2 = FromBits(0x3E9A209B),
                   kTenth = FromBits(0x3DCCCCCD);

// ---------------------------------------------------------------- coefficient tables

// The table bytes exactly as the library emits them.
inline const std::vector<uint8_t> kTblCos = {
    0x08, 0x52, 0x57, 0x3F, 0x9F, 0x5A, 0x49, 0xCB, 0xA5, 0x62, 0x0F, 0x76, 0xC7, 0x69, 0x13, 0xF2, 0x7E, 0x6F, 0x50,
    0x0D, 0x01, 0x75, 0x36, 0x0B, 0x61, 0x7A, 0x2A, 0xAA, 0xAB, 0x7E, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x00, 0x00};
inline const std::vector<uint8_t> kTblTan = {0x03, 0x73, 0x05, 0x27, 0x60, 0x79, 0x48, 0xDE, 0x92, 0x7D, 0x6D, 0xB0,
                                             0xCA, 0x7F, 0x00, 0x00, 0x00, 0x03, 0x6E, 0x37, 0x00, 0xF3, 0x76, 0x4B,
                                             0x9F, 0xB8, 0x7C, 0x06, 0x0C, 0x3E, 0x7F, 0x00, 0x00, 0x00};
inline const std::vector<uint8_t> kTblAsin = {
    0x04, 0x7B, 0x1D, 0xC6, 0x2E, 0x7E, 0xB0, 0x33, 0x61, 0x80, 0x01, 0x57, 0x2D, 0x80, 0x99, 0xD1,
    0x39, 0x7F, 0x00, 0x00, 0x00, 0x05, 0x74, 0x4F, 0x7F, 0x04, 0x7A, 0x17, 0x7B, 0x16, 0x7D, 0xF9,
    0x61, 0x6E, 0x7F, 0x59, 0x02, 0x36, 0x80, 0x8F, 0x26, 0x8E, 0x7F, 0x00, 0x00, 0x00};
inline const std::vector<uint8_t> kTblAtan = {
    0x08, 0x76, 0x3b, 0xd7, 0x4a, 0x79, 0x84, 0x6e, 0x02, 0x7a, 0x2f, 0xc1, 0xfe, 0x7b, 0x9a, 0x31, 0x74, 0x7b, 0x5a,
    0x3d, 0x83, 0x7c, 0x91, 0x7f, 0xc7, 0x7c, 0x4c, 0xbb, 0xe5, 0x7d, 0xaa, 0xaa, 0x6c, 0x7f, 0x00, 0x00, 0x00, 0x00};
inline const std::vector<uint8_t> kTblExp = {0x06, 0x72, 0x65, 0x2C, 0x03, 0x75, 0x22, 0x3B, 0x59, 0x78,
                                             0x1E, 0xBA, 0xE0, 0x7A, 0x63, 0x3B, 0xF4, 0x7C, 0x75, 0xff,
                                             0x4E, 0x7E, 0x31, 0x72, 0x11, 0x7F, 0x00, 0x00, 0x00, 0x00};
inline const std::vector<uint8_t> kTblLn = {
    0x05, 0x81, 0x35, 0x04, 0xF4, 0x83, 0x20, 0x00, 0x01, 0x83, 0x62, 0x46, 0x32, 0x83, 0x20, 0x00, 0x00,
    0x81, 0x62, 0x46, 0x30, 0x7F, 0x00, 0x00, 0x00, 0x05, 0x82, 0x77, 0x8C, 0x4F, 0x81, 0x43, 0x2C, 0xE2,
    0x82, 0x17, 0xBF, 0x24, 0x83, 0xA4, 0x8D, 0xD9, 0x81, 0xE1, 0xD8, 0xA1, 0x80, 0xDB, 0x67, 0x82};

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

inline float Expf(float a) {
  bool neg = SignBit(a);
  uint32_t mag = Bits(a) & 0x7FFFFFFFu;
  if (mag >= (neg ? 0x42AEAC50u : 0x42B17218u)) {
    if (Exp(a) == 0xFF || !neg) return NaN();
    return 0.0f;
  }
  float y = Mul(FromBits(mag), kLog2e);
  float ip;
  float f = Modf(y, &ip);
  float p = Pot(f, kTblExp);
  unsigned n = 0;
  if (Bits(ip) >> 24) {
    unsigned e = Exp(ip);
    n = (((Bits(ip) >> 16) & 0x7F) | 0x80) >> (0x86 - e);
  }
  unsigned er = Exp(p) + n;
  if (er >= 0xFF) return NaN();
  p = FromBits((Bits(p) & 0x807FFFFFu) | (er << 23));
  return neg ? Inv(p) : p;
}
inline float Lnf(float a) {
  unsigned e = Exp(a);
  if (SignBit(a) || e == 0 || e == 0xFF) return NaN();
  if ((Bits(a) & 0x7FFFFFu) == 0) return Mul(S2f(static_cast<int32_t>(e) - 127), kLn2);
  float m = FromBits((Bits(a) & 0x7FFFFFu) | (126u << 23));
  float lm = Pot(m, kTblLn);
  float t = Mul(S2f(static_cast<int32_t>(e) - 126), kLn2);
  return Add(t, lm);
}
inline float Log10f(float a) { return Div(Lnf(a), kLn10); }

inline float PowPositive(float a, float b) { return Expf(Mul(Lnf(a), b)); }
inline float Powf(float a, float b) {
  if (Exp(b) == 0) return 1.0f;
  if (Exp(a) == 0) return SignBit(b) ? NaN() : 0.0f;
  if (!SignBit(a)) return PowPositive(a, b);
  unsigned eb = Exp(b);
  bool odd = false;
  if (eb < 0x97) {
    if (eb < 0x7F) return NaN();
    uint32_t m = (Bits(b) & 0x7FFFFFu) | 0x800000u;
    unsigned shift = 0x96 - eb;
    if (shift && (m & ((1u << shift) - 1))) return NaN();
    odd = (m >> shift) & 1;
  }
  float r = PowPositive(Abs(a), b);
  return odd ? Neg(r) : r;
}

// Correctly rounded; subnormal operands are values; -0 gives +0, other negative operands
// NaN. The results are never subnormal.
inline float Sqrtf(float a) {
  if ((Bits(a) & 0x7FFFFFFFu) == 0) return 0.0f;
  if (SignBit(a) || IsNan(a)) return NaN();
  return std::sqrt(a);
}

inline float Cos0(float a) {
  float t = Add(Abs(a), Neg(kPi));
  uint32_t flip = 0x80000000u;
  t = Abs(t);
  if (Bits(t) >= Bits(kHalfPi)) {
    t = Add(t, Neg(kPi));
    flip = 0;
  }
  float u = FromBits(Bits(Mul(t, t)) | 0x80000000u);
  return FromBits(Bits(Pot(u, kTblCos)) ^ flip);
}
inline float Cosf(float a) { return Cos0(Mod(a, kTwoPi)); }
inline float Sinf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float x = Abs(a);
  if ((Bits(x) >> 24) < 0x39) return FromBits(Bits(x) ^ s);
  x = Add(Mod(x, kTwoPi), Neg(kHalfPi));
  return FromBits(Bits(Cos0(x)) ^ s);
}
inline float Tanf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float x = Abs(a);
  if ((Bits(x) >> 24) < 0x39) return FromBits(Bits(x) ^ s);
  x = Mod(x, kPi);
  if (Bits(x) == Bits(kHalfPi)) return NaN();
  if (Bits(x) > Bits(kHalfPi)) {
    x = Add(Neg(x), kPi);
    s ^= 0x80000000u;
  }
  bool recip = false;
  if (Bits(x) > Bits(kQuarterPi)) {
    x = Add(Neg(x), kHalfPi);
    recip = true;
  }
  float u = FromBits(Bits(Mul(x, x)) | 0x80000000u);
  float r = Mul(Pot(u, kTblTan), x);
  if (recip) r = Inv(r);
  return FromBits(Bits(r) ^ s);
}
inline float AsinSeries(float a) { return Mul(Pot(Mul(a, a), kTblAsin), a); }
// 2 asin(sqrt((1 - |x|) / 2)).
inline float AsinHalfAngle(float x) {
  float t = Add(FromBits(Bits(x) | 0x80000000u), 1.0f);
  if (Bits(t) >> 24) t = FromBits(Bits(t) - 0x00800000u);
  float w = AsinSeries(Sqrtf(t));
  return Add(w, w);
}
inline float Asinf(float a) {
  uint32_t mag = Bits(a) & 0x7FFFFFFFu;
  if (mag >= 0x3F800001u) return NaN();
  if (mag < 0x3F000001u) return AsinSeries(a);
  float r = Add(Neg(AsinHalfAngle(a)), kHalfPi);
  return FromBits(Bits(r) ^ (Bits(a) & 0x80000000u));
}
inline float Acosf(float a) {
  if ((Bits(a) & 0x7FFFFFFFu) < 0x3F000001u) return Add(Neg(Asinf(a)), kHalfPi);
  float w2 = AsinHalfAngle(a);
  return SignBit(a) ? Add(Neg(w2), kPi) : w2;
}
inline float Atanf(float a) {
  uint32_t s = Bits(a) & 0x80000000u;
  float v = Abs(a);
  bool inv = Bits(v) >= 0x3F800001u;
  if (inv) v = Inv(v);
  float w = Mul(Pot(Mul(v, v), kTblAtan), v);
  if (inv) w = Add(Neg(w), kHalfPi);
  return FromBits(Bits(w) ^ s);
}
inline float Atan2f(float y, float x) {
  if (IsNan(y) || IsNan(x)) return NaN();
  if (Exp(x) == 0) {
    if (Exp(y) == 0) return NaN();
    return FromBits(Bits(kHalfPi) | (Bits(y) & 0x80000000u));
  }
  if (Exp(y) == 0) return SignBit(x) ? kPi : 0.0f;
  float r = Atanf(Div(y, x));
  if (SignBit(x)) r = Add(r, FromBits(Bits(kPi) | (Bits(y) & 0x80000000u)));
  return r;
}
inline float Sinhf(float a) {
  float e = Expf(a);
  return F2e(Add(Neg(Inv(e)), e), -1);
}
inline float Coshf(float a) {
  float e = Expf(a);
  return F2e(Add(Inv(e), e), -1);
}
inline float Tanhf(float a) {
  if ((Bits(a) & 0x7FFFFFFFu) >= 0x41051593u) {
    if (IsNan(a)) return NaN();
    return FromBits((Bits(a) & 0x80000000u) | 0x3F800000u);
  }
  float c = Coshf(a);
  return Div(Sinhf(a), c);
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
