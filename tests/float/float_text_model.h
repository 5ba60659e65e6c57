#pragma once
// Host model of _Fstr, the float-to-text routine, in the chip's own integer steps: the
// exponent product that gives the decimal exponent k and the shift delta, the table entry
// of 10^-k, the 24 x 56-bit product, the bytes kept of it and the shift that puts its
// integer part into a byte of its own, the digits taken off by multiplying the 56-bit
// fraction by ten, and the rounding decision with its exact check of a tie. Running it
// over every float against exact decimal rounding proves the method; the simulator tests
// prove that the chip's text is the model's.
#include <cstdint>
#include <cstring>
#include <string>

#include "compiler/library/core/float_text_scale.h"

namespace qbc::test::ftext {

// 128-bit integers for the product and the exact reference (a GCC and Clang extension).
__extension__ typedef unsigned __int128 u128;

// A text of at most 13 characters and its 0 byte, as _Fstr leaves it in _s1tmp.
struct Text {
  char c[14] = {};
  int n = 0;
  void Put(char ch) { c[n++] = ch; }
  std::string Str() const { return std::string(c, static_cast<size_t>(n)); }
  bool operator==(const Text& o) const { return n == o.n && std::memcmp(c, o.c, static_cast<size_t>(n)) == 0; }
};

// The decimal exponent's table index and delta from the exponent field (1 .. 254).
struct Scale {
  int index;  // k - kFloatTextFirstPower
  int delta;
};
inline Scale ScaleOf(std::uint32_t field) {
  const std::uint32_t x = (field * kFloatTextLog2Scale - kFloatTextLog2Offset) & 0xFFFFFF;
  int delta = 0;
  for (std::uint32_t step : kFloatTextDeltaSteps) delta += (x & 0xFFFF) >= step;
  return {static_cast<int>(x >> 16), delta};
}

// How the model came to its last digit: for the exhaustive run's count of ties and of
// the cases the approximate fraction alone could not decide.
struct Decision {
  bool window = false;  // the looked-ahead digit was 4 and the fraction all but 1
  bool tie = false;     // the exact check found the float halfway
};

// The text _Fstr writes for the float with bit pattern `bits` and `decimals` (more than 6
// taken as 6).
inline Text FstrModel(std::uint32_t bits, unsigned decimals, Decision* how = nullptr) {
  Text t;
  int d = decimals >= 7 ? 6 : static_cast<int>(decimals);
  const std::uint32_t field = (bits >> 23) & 0xFF;
  if (field == 0) {  // zero and the subnormals
    t.Put(' ');
    t.Put('0');
    if (d) {
      t.Put('.');
      for (int i = 0; i < d; ++i) t.Put('0');
    }
    for (char ch : {'E', '+', '0', '0'}) t.Put(ch);
    return t;
  }
  if (field == 0xFF) {
    for (char ch : {'E', 'r', 'r'}) t.Put(ch);
    return t;
  }
  t.Put(bits >> 31 ? '-' : ' ');
  const std::uint32_t m = (bits & 0x7FFFFF) | 0x800000;
  const Scale s = ScaleOf(field);
  int index = s.index;

  // The product m * entry (80 bits); its bytes 2 .. 9 are kept.
  const u128 product = static_cast<u128>(m) * kFloatTextPowers[static_cast<size_t>(index)];
  // Shifted up by 2 + delta into a ninth byte: the integer part, and the fraction in the
  // seven bytes below it (the bits of byte 2 that are left are dropped).
  const u128 shifted = static_cast<u128>(static_cast<std::uint64_t>(product >> 16)) << (2 + s.delta);
  unsigned digit = static_cast<unsigned>(shifted >> 64);
  std::uint64_t frac = static_cast<std::uint64_t>(shifted >> 8) & 0xFFFFFFFFFFFFFFull;
  auto times_ten = [&] {
    const u128 x = static_cast<u128>(frac) * 10;
    digit = static_cast<unsigned>(x >> 56);
    frac = static_cast<std::uint64_t>(x) & 0xFFFFFFFFFFFFFFull;
  };

  // The exact check's key: a tie has exactly tz trailing zero bits in m.
  int tz = index - d - static_cast<int>(field) + 111;
  int count = d + 1;
  if (digit >= 10) {  // 10 .. 19: the first digit is 1, the decimal exponent one more
    digit -= 10;
    ++index;
    ++tz;
    t.Put('1');
    if (d) t.Put('.');
    count = d;
  }
  for (; count > 0; --count) {
    t.Put(static_cast<char>('0' + digit));
    if (t.n == 2 && count > 1) t.Put('.');
    times_ten();
  }
  // Round up when the next digit is 5 or more, or when it is 4, the fraction behind it
  // no more than 2^-24 below 1 and the float exactly halfway.
  bool up = digit >= 5;
  if (digit == 4 && (frac >> 32) == 0xFFFFFF) {
    const bool tie = tz >= 0 && tz < 24 && (m & ((2u << tz) - 1)) == (1u << tz);
    up = tie;
    if (how) *how = {true, tie};
  }
  if (up) {
    int i = t.n - 1;
    for (;;) {
      if (t.c[i] == '.') {
        --i;
        continue;
      }
      if (t.c[i] != '9') {
        ++t.c[i];
        break;
      }
      t.c[i] = '0';
      if (i == 1) {  // carried out of the first digit
        t.c[1] = '1';
        ++index;
        break;
      }
      --i;
    }
  }
  int k = index + kFloatTextFirstPower;
  t.Put('E');
  t.Put(k < 0 ? '-' : '+');
  if (k < 0) k = -k;
  t.Put(static_cast<char>('0' + k / 10));
  t.Put(static_cast<char>('0' + k % 10));
  return t;
}

inline std::string Fstr(std::uint32_t bits, unsigned decimals) { return FstrModel(bits, decimals).Str(); }

}  // namespace qbc::test::ftext
