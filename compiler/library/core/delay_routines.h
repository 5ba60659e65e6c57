#pragma once
// Busy-wait routines of the runtime library. The link step calls each emitter when the
// routine's used flag is set, in this order:
//   NeedWaitMs -> EmitWaitmsRoutine      (_Wms: zl milliseconds)
//   NeedWaitUs -> EmitWaitusRoutine      (_wus, called as _Wus: zl steps of about 10 us)
//   NeedWait5us -> EmitWait5usRoutine    (_W5: about 5 us)
//   NeedWaitS -> EmitWaitsRoutine        (_Ws: zl seconds, through _Wms)
//   NeedWaitTicks -> EmitWaitTicksRoutine (_Wtic: r23 three-cycle ticks)
// _Wms, _wus and _W5 take their loop constants from the clock (CrystalFrequency, MHz).
// A count of 0 in zl makes _Wms, _wus and _Ws return at once (zl stays 0). _Wtic keeps
// its plain three-cycle loop (r23 = 0 gives 256 ticks) because the software UARTs time
// their bits by its exact cycle count.
#include "compiler/base/state.h"

namespace qbc {

void EmitWaitmsRoutine(CompilerState& st);
void EmitWaitusRoutine(CompilerState& st);
void EmitWait5usRoutine(CompilerState& st);
void EmitWaitsRoutine(CompilerState& st);
void EmitWaitTicksRoutine(CompilerState& st);

}  // namespace qbc
