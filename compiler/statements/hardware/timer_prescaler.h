#pragma once
// Timer1 with the four-bit power-of-two prescaler (the tiny25/45/85 and the tiny26, whose
// device files name CS13): its clock select CS13..CS10 gives code k + 1 for CK / 2^k, and
// its clear-on-compare bit is CTC1, bit 7 of the same register. On the other chips a
// timer's select is three bits (1, 8, 64, 256, 1024) and bit 3 of a 16-bit timer's
// register is WGM12.
#include "compiler/base/state.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

inline bool HasPowerOfTwoPrescaler(const CompilerState& st, int timer) {
  return TimerOf(st, timer).prescalers == Prescalers::kPowersOfTwo;
}

// The bit that "clear" and "fast" add to a 16-bit timer's clock-select cell.
inline std::uint8_t ClearOnCompareSelectBit(const CompilerState& st, int timer) {
  return HasPowerOfTwoPrescaler(st, timer) ? 0x80 : 0x08;
}

}  // namespace qbc
