#pragma once
// Busy-wait routines of the runtime library. The link step calls each emitter when the
// routine's used flag is set, in this order:
//   NeedWaitMs -> EmitWaitmsRoutine      (_Wms: zl milliseconds)
//   NeedWaitUs -> EmitWaitusRoutine      (_wus, called as _Wus: zl steps of about 10 us)
//   NeedWaitMicro -> EmitWaitMicroRoutine (_Wmu: zl microseconds, _WmuW: zl:zh; WaitUs)
//   NeedWait5us -> EmitWait5usRoutine    (_W5: about 5 us)
//   NeedWaitS -> EmitWaitsRoutine        (_Ws: zl seconds, through _Wms)
//   NeedWaitTicks -> EmitWaitTicksRoutine (_Wtic: r23 three-cycle ticks)
// _Wms, _wus and _W5 take their loop constants from the clock (CrystalFrequency, MHz).
// A count of 0 in zl makes _Wms, _wus and _Ws return at once (zl stays 0). _Wtic keeps
// its plain three-cycle loop (r23 = 0 gives 256 ticks) because the software UARTs time
// their bits by its exact cycle count.
#include "compiler/base/state.h"

namespace qbc {

// _Wms waits zl milliseconds: n milliseconds last n * round(1000 * F) cycles from the load
// of a constant count to the return (the call, the test and the return are taken off the
// first). It uses zl, r20 and r21 (all 0 at exit).
void EmitWaitmsRoutine(CompilerState& st);
void EmitWaitusRoutine(CompilerState& st);
// _Wmu waits zl microseconds (_WmuW zl:zh): from the load of a constant count to the
// return a count lasts round(count * F) cycles at any clock, from the least count the
// routine's own cycles allow on (27 us at 1 MHz, 3 us at 8 MHz, 1 us at 20 MHz; a smaller
// count returns at once). Bits of the count and a fraction accumulator make up for the
// part of a microsecond that is no whole cycle. It uses zl, zh, r21, r22 and r23 (zl:zh
// 0 at exit).
void EmitWaitMicroRoutine(CompilerState& st);
void EmitWait5usRoutine(CompilerState& st);
void EmitWaitsRoutine(CompilerState& st);
void EmitWaitTicksRoutine(CompilerState& st);

}  // namespace qbc
