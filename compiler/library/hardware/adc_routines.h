#pragma once
// The ADC's conversion routines: the channel is already in the multiplexer; _Adc returns
// the result in zl (low) and zh, _Adc8 its upper eight bits in zl. Both wait for the end:
// for the start bit to fall when the program has an "adcc" handler (the flag is the
// handler's), otherwise for the interrupt flag, which they then clear.
#include "compiler/base/state.h"

namespace qbc {

void EmitAdcRoutine(CompilerState& st);
void EmitAdc8Routine(CompilerState& st);

}  // namespace qbc
