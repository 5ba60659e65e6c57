#pragma once
// The scaling facts of the float-to-text routine _Fstr, shared by its emitter and by the
// host model the tests prove it with.
//
// A float is m * 2^(e2 - 23) (m the 24-bit significand with its leading one, e2 the
// exponent field less 127). Its decimal exponent is k = floor(e2 * log10 2) or k + 1.
// The routine finds k and delta = e2 - e(k), e(k) being the least e2 with that k, from one
// product of the exponent field f:
//   x = f * kFloatTextLog2Scale - kFloatTextLog2Offset   (24 bits)
//   k - kFloatTextFirstPower = x >> 16
//   delta = how many of kFloatTextDeltaSteps are at or below x & 0xFFFF   (0 .. 3)
// and multiplies m by the table entry of k, floor(10^-k * 2^(55 + e(k))), which lies in
// [2^55, 2^56): m * entry * 2^(delta - 78) is the float times 10^-k, at most 2^(delta - 54)
// below it, a number from 1 to 20.
#include <array>
#include <cstdint>

namespace qbc {

inline constexpr int kFloatTextFirstPower = -38;  // k of the first table entry
inline constexpr int kFloatTextPowerCount = 77;   // k = -38 .. 38
inline constexpr int kFloatTextPowerBytes = 7;    // 56-bit entries, lowest byte first in flash
inline constexpr std::uint32_t kFloatTextLog2Scale = 19729;   // log10 2 * 2^16, rounded up
inline constexpr std::uint32_t kFloatTextLog2Offset = 15215;  // 127 * scale - 38 * 2^16
inline constexpr std::array<std::uint32_t, 3> kFloatTextDeltaSteps = {19729, 39457, 59185};

extern const std::array<std::uint64_t, kFloatTextPowerCount> kFloatTextPowers;

}  // namespace qbc
