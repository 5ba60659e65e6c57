#pragma once
// Pwm0 .. Pwm5C (Compare0 .. Compare5C): a value into an output compare register, and
// ClockPrescale: a value into the system clock prescaler.
#include "compiler/base/state.h"

namespace qbc {

// `number` is the timer times 4 plus the channel: 0 none (Pwm0, Pwm1, Pwm2), 1 A, 2 B, 3 C.
// Entered on the keyword; returns where the value's expression ended.
void CompileCompareStatement(CompilerState& st, int number);
void CompileClockPrescaleStatement(CompilerState& st);

}  // namespace qbc
