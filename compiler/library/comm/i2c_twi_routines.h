#pragma once
// The I2C master on the chip's TWI unit: the same entry labels and registers as the
// software master (i2c_routines.h), so the statements call either the same way, and the
// same run-time cells _I2cAd and _I2cRo for the read that turns the bus round.
//
// The bus runs at 100 kHz or the fastest rate below it the clock allows. Every wait on the
// unit gives up after about 25 ms (a bus held low, or no pull-ups): the unit is then
// switched off, which lets go of both lines, and the routine reports no acknowledge (a
// read gives 0xFF, what a released bus reads).
#include "compiler/base/state.h"

namespace qbc {

struct TwiBitRate {
  int twbr = 0;  // bit rate register
  int twps = 0;  // prescaler bits of the status register (divides by 4^twps)
};

// SCL = clock / (16 + 2 * TWBR * 4^TWPS): the smallest prescaler and TWBR that keep SCL
// at 100 kHz or below, with TWBR at least 10 (below that a master may put wrong levels on
// the lines, so a slow clock runs the bus slower instead).
TwiBitRate TwiBitRateFor(double clockHz);

// Loop passes of the bounded wait on the unit: about 25 ms at `clockHz` in a loop of
// `cyclesPerPass` cycles, 1 to 65535.
long TwiWaitPasses(double clockHz, int cyclesPerPass);

void EmitI2CRoutinesMode2(CompilerState& st);

}  // namespace qbc
