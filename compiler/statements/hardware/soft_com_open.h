#pragma once
// Open com = port.pin, baud [, inv] For Output|Input As #n: declares one direction of the
// bit-timed software UART n (1 to 4) and puts its pin into the idle state.
#include "compiler/base/state.h"

namespace qbc {

void CompileOpenStatement(CompilerState& st);

// The bit-time count the channel routines wait twice per bit with _Wtic for `baud` at the
// configured clock: (cycles per bit - the routines' own cycles) / 6, to the nearest whole
// number. The routines' own cycles depend on the device's call and return times.
long SoftComBitCount(const CompilerState& st, double baud);

}  // namespace qbc
