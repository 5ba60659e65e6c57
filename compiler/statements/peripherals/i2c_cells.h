#pragma once
// The I2C interface from $i2c: which one the link order takes, and the software I2C pins.
// Whether a read is open is known only at run time (the routines keep it in SRAM).
#include <cstdint>
#include <string>

namespace qbc {

struct I2cCells {
  std::uint8_t I2cInterface = 0;
  std::uint8_t I2cSlaveAddress = 0;  // of the I2CStart compiled last (kept after a wrong one)
  std::string I2cSdaPort;
  std::string I2cSclPort;
  std::string I2cSdaPin;
  std::string I2cSclPin;
};

}  // namespace qbc
