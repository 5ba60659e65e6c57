#pragma once
// Host model of the float library: exact arithmetic on the operands' values, then the
// library's packing rules (round to nearest even; a result below 2^-126 is +0; every zero
// result is +0; an operand with exponent field 255 gives the NaN pattern 0xFFC0 with A's
// low 16 bits; a result of 2^128 or more gives 0xFFC0 with the low 16 bits of the
// unrounded mantissa, 0xFFC00000 when only the rounding carries it there).
#include <cmath>
#include <cstdint>
#include <cstring>

namespace qbc::test::flt {

__extension__ typedef unsigned __int128 u128;

inline uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}
inline float FromBits(uint32_t u) {
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

inline bool IsSpecial(uint32_t x) { return ((x >> 23) & 0xFF) == 0xFF; }
inline uint32_t NanOf(uint32_t a) { return 0xFFC00000u | (a & 0xFFFFu); }
inline constexpr uint32_t kOverflowNan = 0xFFC00000u;

// |x| = mant * 2^exp (exact) for a finite x.
struct Exact {
  bool neg = false;
  uint32_t mant = 0;
  int exp = 0;
};
inline Exact Decode(uint32_t x) {
  Exact e;
  e.neg = (x >> 31) != 0;
  const uint32_t field = (x >> 23) & 0xFF;
  e.mant = x & 0x7FFFFF;
  if (field != 0) e.mant |= 0x800000;
  e.exp = (field == 0 ? 1 : static_cast<int>(field)) - 150;
  return e;
}

inline int TopBit(u128 v) {
  int p = -1;
  while (v) {
    v >>= 1;
    ++p;
  }
  return p;
}

// Packs the value mant * 2^exp (plus a positive amount below 2^exp when `sticky`).
inline uint32_t Pack(bool neg, u128 mant, int exp, bool sticky = false) {
  if (mant == 0) return 0;
  const int p = TopBit(mant);
  int biased = p + exp + 127;
  if (biased <= 0) return 0;
  uint32_t m24;
  bool up = false;
  if (p >= 23) {
    const int drop = p - 23;
    m24 = static_cast<uint32_t>(mant >> drop);
    if (drop > 0) {
      const u128 rest = mant & ((u128{1} << drop) - 1);
      const u128 half = u128{1} << (drop - 1);
      up = rest > half || (rest == half && (sticky || (m24 & 1)));
    }
  } else {
    m24 = static_cast<uint32_t>(mant << (23 - p));
  }
  if (biased >= 255) return 0xFFC00000u | (m24 & 0xFFFF);
  if (up) {
    ++m24;
    if (m24 == (1u << 24)) {
      m24 >>= 1;
      ++biased;
      if (biased == 255) return kOverflowNan;
    }
  }
  return (neg ? 0x80000000u : 0) | (static_cast<uint32_t>(biased) << 23) | (m24 & 0x7FFFFF);
}

inline uint32_t Add(uint32_t a, uint32_t b) {
  if (IsSpecial(a) || IsSpecial(b)) return NanOf(a);
  Exact x = Decode(a), y = Decode(b);
  if (x.mant == 0) std::swap(x, y);
  if (y.mant == 0) return Pack(x.neg, x.mant, x.exp);
  // Order by exponent; a gap over 80 bits leaves the smaller one as a sticky rest only.
  if (x.exp < y.exp) std::swap(x, y);
  const int gap = x.exp - y.exp;
  if (gap > 80) {
    const u128 big = u128{x.mant} << 60;
    if (x.neg == y.neg) return Pack(x.neg, big, x.exp - 60, true);
    return Pack(x.neg, big - 1, x.exp - 60, true);
  }
  const u128 xs = u128{x.mant} << gap;
  const u128 ys = y.mant;
  if (x.neg == y.neg) return Pack(x.neg, xs + ys, y.exp);
  if (xs == ys) return 0;
  if (xs > ys) return Pack(x.neg, xs - ys, y.exp);
  return Pack(y.neg, ys - xs, y.exp);
}

inline uint32_t Sub(uint32_t a, uint32_t b) { return Add(a, b ^ 0x80000000u); }

inline uint32_t Mul(uint32_t a, uint32_t b) {
  if (IsSpecial(a) || IsSpecial(b)) return NanOf(a);
  const Exact x = Decode(a), y = Decode(b);
  if (x.mant == 0 || y.mant == 0) return 0;
  return Pack(x.neg != y.neg, u128{x.mant} * y.mant, x.exp + y.exp);
}

inline uint32_t Div(uint32_t a, uint32_t b) {
  if (IsSpecial(a) || IsSpecial(b)) return NanOf(a);
  const Exact x = Decode(a), y = Decode(b);
  if (y.mant == 0) return NanOf(a);
  if (x.mant == 0) return 0;
  const u128 num = u128{x.mant} << 64;
  const u128 q = num / y.mant;
  const bool rest = (num % y.mant) != 0;
  return Pack(x.neg != y.neg, q, x.exp - y.exp - 64, rest);
}

inline uint32_t Inv(uint32_t a) { return Div(0x3F800000u, a); }

inline uint32_t ToExp(uint32_t a, int16_t n) {
  if (IsSpecial(a)) return NanOf(a);
  const Exact x = Decode(a);
  if (x.mant == 0) return 0;
  return Pack(x.neg, x.mant, x.exp + n);
}

inline uint32_t FromLong(int32_t v) {
  const bool neg = v < 0;
  const uint64_t mag = neg ? uint64_t{0} - static_cast<uint64_t>(static_cast<int64_t>(v)) : static_cast<uint64_t>(v);
  return Pack(neg, mag, 0);
}
inline uint32_t FromULong(uint32_t v) { return Pack(false, v, 0); }

// Truncation toward zero; |A| < 1 and |A| >= 2^32 give 0; the result is the low 32 bits.
inline uint32_t ToLong(uint32_t a) {
  if (IsSpecial(a)) return NanOf(a);
  const Exact x = Decode(a);
  if (x.mant == 0) return 0;
  uint64_t t;
  if (x.exp >= 0) {
    if (x.exp + 23 >= 32) return 0;  // 2^32 and more
    t = uint64_t{x.mant} << x.exp;
  } else {
    t = x.exp <= -32 ? 0 : (uint64_t{x.mant} >> -x.exp);
  }
  if (t >> 32) return 0;
  const uint32_t r = static_cast<uint32_t>(t);
  return x.neg ? 0u - r : r;
}

// Total order of the comparison: -0 below +0, otherwise by value.
inline int64_t OrderKey(uint32_t x) {
  return (x >> 31) ? -static_cast<int64_t>(x & 0x7FFFFFFF) - 1 : static_cast<int64_t>(x & 0x7FFFFFFF);
}

struct CmpResult {
  bool unordered = false;
  bool equal = false;
  bool less = false;
};
inline CmpResult Compare(uint32_t a, uint32_t b) {
  CmpResult r;
  if (IsSpecial(a) || IsSpecial(b)) {
    r.unordered = true;
    return r;
  }
  r.equal = OrderKey(a) == OrderKey(b);
  r.less = OrderKey(a) < OrderKey(b);
  return r;
}

// _Fcmf's r24; an unordered comparison returns 0x00 there (with T set).
inline uint8_t Cmf(uint32_t a, uint32_t b) {
  const CmpResult r = Compare(a, b);
  if (r.unordered) return 0x00;
  return r.equal ? 0x00 : r.less ? 0xFF : 0x01;
}

}  // namespace qbc::test::flt

namespace qbc::test::flt {

// True when mant * 2^exp, rounded to 24 bits, has a dropped part of exactly one half, or
// one half plus the lowest dropped bit.
inline bool OnRoundingBoundary(u128 mant) {
  if (mant == 0) return false;
  const int p = TopBit(mant);
  if (p < 25) return false;
  const int drop = p - 23;
  const u128 rest = mant & ((u128{1} << drop) - 1);
  const u128 half = u128{1} << (drop - 1);
  return rest == half || rest == half + 1;
}

inline bool SumOnBoundary(uint32_t a, uint32_t b) {
  Exact x = Decode(a), y = Decode(b);
  if (x.mant == 0 || y.mant == 0) return false;
  if (x.exp < y.exp) std::swap(x, y);
  const int gap = x.exp - y.exp;
  if (gap > 60) return false;
  const u128 xs = u128{x.mant} << gap, ys = y.mant;
  return OnRoundingBoundary(x.neg == y.neg ? xs + ys : (xs > ys ? xs - ys : ys - xs));
}

inline bool ProductOnBoundary(uint32_t a, uint32_t b) {
  const Exact x = Decode(a), y = Decode(b);
  return OnRoundingBoundary(u128{x.mant} * y.mant);
}

}  // namespace qbc::test::flt
