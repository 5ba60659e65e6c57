#pragma once
// The interrupt-driven software UART of $com1: INT0 sees a start edge on the receive pin,
// Timer0's overflow times every bit of a received or sent byte.
//   _UAini  start-up: Timer0's clock, INT0 on falling edges, the transmit pin an output
//           at the idle level, the reload values
//   _TX     r24 = byte: waits for a byte still going out, then starts this one and
//           returns (changes zl)
// The handlers keep SREG in r2, as every interrupt handler does, and only zl and zh on
// the stack; the byte in progress, its bit count and the received byte are system
// variables (_UAsh, _UAcnt, _UArx); rxready and txon are the bit variables of $com1.
// They change only their own bits of the interrupt mask and flag registers.
#include "compiler/base/state.h"

namespace qbc {

void EmitInterruptSwUartRoutines(CompilerState& st);

}  // namespace qbc
