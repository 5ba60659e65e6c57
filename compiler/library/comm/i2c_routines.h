#pragma once
// The software I2C master on the two $i2c pins: start (_I2cS), repeated start (_I2cRs),
// byte write (_I2cW) with the slave's acknowledge in the carry, byte read (_I2cR) with the
// acknowledge to send in the carry, stop (_I2cSp), and the count form's block write
// (_I2WA: zl bytes from X, 0 = 256).
//
// The reads keep their state at run time in two system cells: _I2cAd holds the address
// of the start that ran last, _I2cRo whether a read is open. The first read after a start
// sends the repeated start with that address + 1; a read without acknowledge closes it.
#include "compiler/base/state.h"

namespace qbc {

// The cells' names, declared by the program head when software I2C is configured.
inline constexpr const char* kI2cAddressCell = "_I2cAd";
inline constexpr const char* kI2cReadOpenCell = "_I2cRo";

void EmitI2CRoutines(CompilerState& st);
void EmitI2CWriteAllRoutine(CompilerState& st);

}  // namespace qbc
