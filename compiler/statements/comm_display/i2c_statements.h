#pragma once
// The I2C master statements on the bus of $i2c sda = port.pin , scl = port.pin (software)
// or of $i2c twi , master (the TWI unit):
//
//   I2CStart address          start (or repeated start) and the address byte; the address
//                             is a number, a constant or &H / &B digits, 0 to 255
//   I2CWrite value [; value]  one byte per value
//   I2CWrite var , count      count bytes from the variable's address on (0 sends 256)
//   x = I2CRead , Ack|Nack    one byte, acknowledged or not (the last one of a read);
//                             the first read after a start turns the bus round to read
//   I2CStop                   stop
#include "compiler/base/state.h"

namespace qbc {

void CompileI2CStartStatement(CompilerState& st);
void CompileI2CWriteStatement(CompilerState& st);
std::uint8_t CompileI2CReadFunction(CompilerState& st, std::uint8_t wanted);
void CompileI2CStopStatement(CompilerState& st);

}  // namespace qbc
