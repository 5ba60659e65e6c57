#pragma once
// The 1-Wire routines, one copy per bus declared by $1wire, each label ending in the bus
// number. The link step writes them in three passes over the buses:
//   NeedOneWire         -> Emit1WireRoutines        (_1Wrs, _1Ww, _1Wr)
//   NeedOneWireReadAll  -> Emit1WireReadAllRoutine  (_1WrA: zl bytes to X onwards)
//   NeedOneWireWriteAll -> Emit1WireWriteAllRoutine (_1WwA: zl bytes from X onwards)
// _1Wrs returns 1 in zl when a device answered the reset, _1Ww sends zl, _1Wr returns the
// byte in zl; all three keep every register but zl and zh. The count forms use r25 and
// advance X; a count of 0 moves 256 bytes.
//
// The line is open-drain: the PORT bit stays 0, an output DDR bit pulls the line low and an
// input lets the pull-up raise it. Every slot is timed in cycles of the clock and runs with
// interrupts held off; between slots they may come.
#include "compiler/base/state.h"

namespace qbc {

void Emit1WireRoutines(CompilerState& st, int bus);
void Emit1WireReadAllRoutine(CompilerState& st, int bus);
void Emit1WireWriteAllRoutine(CompilerState& st, int bus);

}  // namespace qbc
