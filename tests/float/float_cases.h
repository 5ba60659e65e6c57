#pragma once
// Operand sets for the float tests: the edge values every binary operation meets in all
// pairings, and random patterns (uniform bit patterns, nearby exponents, near
// cancellation) from a fixed seed.
#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace qbc::test::flt {

inline const std::vector<uint32_t> kEdgeValues = {
    0x00000000, 0x80000000,              // zeros
    0x00800000, 0x80800000, 0x00800001,  // smallest normal
    0x7F7FFFFF, 0xFF7FFFFF, 0x7F000000,  // largest finite, 2^127
    0x3F800000, 0xBF800000, 0x3F800001, 0x3FFFFFFF, 0x40000000,
    0x33800000, 0x33C00000, 0x33800001, 0xB3800000,  // 2^-24, 3 * 2^-25
    0x34000000, 0x33000000,
    0x7F800000, 0xFF800000,              // infinities
    0x7FC00000, 0xFFFFFFFF, 0x7F800001,  // NaNs
    0x00000001, 0x007FFFFF, 0x80400000,  // no leading one (exponent field 0)
    0x3F000000, 0x40400000, 0x4039999A, 0xC039999A,
    0x4B7FFFFF, 0x4B800000, 0x4F000000, 0x4F800000, 0xCF000000, 0x4F7FFFFF,
    0x1F800000, 0x5F800000, 0x20000000, 0x60000000,
};

inline std::vector<std::pair<uint32_t, uint32_t>> EdgePairs() {
  std::vector<std::pair<uint32_t, uint32_t>> v;
  for (uint32_t a : kEdgeValues)
    for (uint32_t b : kEdgeValues) v.emplace_back(a, b);
  return v;
}

// Random pairs of several kinds, `n` in all.
inline std::vector<std::pair<uint32_t, uint32_t>> RandomPairs(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<uint32_t> any;
  std::vector<std::pair<uint32_t, uint32_t>> v;
  while (v.size() < n) {
    const uint32_t a = any(rng), r = any(rng);
    switch (v.size() % 5) {
      case 0:  // any bit patterns
        v.emplace_back(a, r);
        break;
      case 1: {  // exponents within 30 of each other, random signs
        const int32_t ea = static_cast<int32_t>((a >> 23) & 0xFF);
        int32_t eb = ea + static_cast<int32_t>(r % 61) - 30;
        eb = std::clamp(eb, 0, 254);
        v.emplace_back(a & 0xFFFFFFFF & ~(((a >> 23) & 0xFF) == 0xFF ? 0x40000000u : 0u),
                       (r & 0x807FFFFF) | (static_cast<uint32_t>(eb) << 23));
        break;
      }
      case 2: {  // near cancellation: b = -(a + small)
        const uint32_t base = a & 0x7F7FFFFF;
        const uint32_t b = (base + (r % 9) - 4) ^ 0x80000000u ^ (a & 0x80000000u);
        v.emplace_back(base | (a & 0x80000000u), b);
        break;
      }
      case 3: {  // moderate magnitudes (products and quotients stay in range)
        const uint32_t ea = 97 + a % 60, eb = 97 + r % 60;
        v.emplace_back((a & 0x807FFFFF) | (ea << 23), (r & 0x807FFFFF) | (eb << 23));
        break;
      }
      default: {  // small mantissas: exact results and ties
        const uint32_t ea = 110 + a % 30, eb = 110 + r % 30;
        v.emplace_back((a & 0x80700000) | (ea << 23), (r & 0x80780000) | (eb << 23));
        break;
      }
    }
  }
  return v;
}


// Pairs whose exact result lies on or right next to a rounding boundary: operands with
// few significant bits (sums and products then fall on exact halves), kept when `model`
// shows the bits below the 24 kept ones to be exactly a half or a half plus the lowest
// of them (the sticky decides), so every rounding path is taken many times.
template <class ExactBits>
std::vector<std::pair<uint32_t, uint32_t>> NearTiePairs(size_t n, uint32_t seed, ExactBits exact_rest) {
  std::mt19937 rng(seed);
  std::vector<std::pair<uint32_t, uint32_t>> v;
  auto sparse = [&rng](unsigned keep_bits) {
    const uint32_t top = 0x800000u | (rng() & 0x7FFFFFu);
    const uint32_t mask = ~((1u << (24 - keep_bits)) - 1) & 0xFFFFFFu;
    uint32_t m = top & mask;
    if (rng() % 2) m |= 1u << (rng() % (24 - keep_bits + 1));  // one low bit
    return m & 0x7FFFFFu;
  };
  while (v.size() < n) {
    const uint32_t ea = 100 + rng() % 50;
    const uint32_t eb = (rng() % 4 == 0) ? ea : std::clamp<uint32_t>(ea + rng() % 53 - 26, 1, 254);
    const unsigned ka = 4 + rng() % 20, kb = 4 + rng() % 20;
    const uint32_t a = (rng() & 0x80000000u) | (ea << 23) | sparse(ka);
    const uint32_t b = (rng() & 0x80000000u) | (eb << 23) | sparse(kb);
    if (exact_rest(a, b)) v.emplace_back(a, b);
  }
  return v;
}


// Same-sign (`subtract` false) or opposite-sign pairs for every exponent difference 0..25
// whose low bits are set so that the exact sum or difference lands on a rounding boundary
// (half, half plus the lowest bit, just below half), with and without a carry.
template <class Boundary>
std::vector<std::pair<uint32_t, uint32_t>> AlignedBoundaryPairs(bool subtract, uint32_t seed, Boundary on_boundary) {
  std::mt19937 rng(seed);
  std::vector<std::pair<uint32_t, uint32_t>> v;
  for (uint32_t d = 0; d <= 25; ++d) {
    int found = 0;
    for (int tries = 0; tries < 4000 && found < 24; ++tries) {
      const uint32_t a = 0x800000u | (rng() & 0x7FFFFFu);
      uint32_t b = 0x800000u | (rng() & 0x7FFFFFu);
      const uint32_t low_bits = std::min<uint32_t>(d + 1, 23);
      const uint32_t lows[] = {0u, 1u, 1u << (low_bits - 1), (1u << (low_bits - 1)) + 1, (1u << (low_bits - 1)) - 1};
      b = (b & ~((1u << low_bits) - 1)) | lows[rng() % 5] | 0x800000u;
      const uint32_t ea = 120 + rng() % 16, eb = ea - d;
      const uint32_t sign = rng() & 0x80000000u;
      const uint32_t fa = sign | (ea << 23) | (a & 0x7FFFFF);
      const uint32_t fb = (subtract ? sign ^ 0x80000000u : sign) | (eb << 23) | (b & 0x7FFFFF);
      if (!on_boundary(fa, fb)) continue;
      v.emplace_back(fa, fb);
      v.emplace_back(fb, fa);
      ++found;
    }
  }
  return v;
}

}  // namespace qbc::test::flt
