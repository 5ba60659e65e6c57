#pragma once
// The used flags of SPI, shift out, 1-Wire and I2C. A new routine of this area adds its flag to
// the list.
#include "compiler/base/used_flags.h"

#define QBC_BUS_FLAGS(X) \
  X(NeedSPIch) \
  X(NeedSPIal) \
  X(NeedSPIst) \
  X(NeedSpiOut) \
  X(NeedShiftOutAll) \
  X(NeedSpiOutAll) \
  X(NeedOneWire) \
  X(NeedOneWireReadAll) \
  X(NeedOneWireWriteAll) \
  X(NeedI2cWriteAll)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Bus, QBC_BUS_FLAGS)
}  // namespace qbc
