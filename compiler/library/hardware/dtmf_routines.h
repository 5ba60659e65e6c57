#pragma once
// The DTMF tone generator $dtmf asks for: Timer1 runs 8-bit phase-correct PWM on OC1A
// from reset; its overflow handler (every 510 cycles) adds two sine samples, one per tone,
// by direct digital synthesis (r12:r13 and r10:r11 the phase accumulators, r8 and r9 their
// increments, one sine period 1024 accumulator steps).
//
//   _DTMF   zl = key code 0 to 15 (0 to 9, A to D, *, #): plays the key's tone pair for the
//           $dtmf milliseconds. The handler's interrupt and I are on only meanwhile; r8 to
//           r13 and the caller's interrupt settings come back. Changes zl, zh, r24, r25,
//           r0 and what _Wms changes.
//   IntN    (N = the Timer1 overflow vector) the handler; it keeps every register but the
//           phase accumulators.
//   _Gsamp  xh:xl = a phase accumulator: r0 = its sine sample (0 to 127). Changes xl, xh,
//           zl, zh, r24.
//   _Stbl, _Dtc  the sine table and the keys' phase increments.
#include "compiler/base/state.h"

namespace qbc {

void EmitDtmfRoutines(CompilerState& st);

// The phase increment of `hz` at the program's clock: 510 cycles per sample, 1024 steps
// per period.
long DtmfIncrement(const CompilerState& st, int hz);

}  // namespace qbc
