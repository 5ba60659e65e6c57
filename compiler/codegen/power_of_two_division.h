#pragma once
// Division and Mod by a constant power of two, without the division routines.
#include <cstdint>

#include "compiler/base/state.h"

namespace qbc {

// The exponent k of a constant 2^k (k at least 1, 2^k a positive value of `type`: a byte,
// an integer, a word or a long) written as the operand after the "/" or "mod" at TokenIndex, and the tokens it
// takes; k = 0 for any other operand.
struct PowerOfTwo {
  int k = 0;
  int tokens = 0;
};
PowerOfTwo PowerOfTwoOperand(CompilerState& st, std::uint8_t type);

// x / 2^k (`remainder`: x mod 2^k) of x in the working registers (`leftHeld`: in the
// second-operand registers) without a division: shifts right, or a mask. A signed x (an
// integer or a long) gives what the division routines give: the quotient cut toward zero,
// the remainder that of the magnitudes (never negative). The result is in the working
// registers.
void EmitPowerOfTwoDivision(CompilerState& st, std::uint8_t type, int k, bool remainder, bool leftHeld);

}  // namespace qbc
