#pragma once
// The used flags of ADC, sound, EEPROM, RC5. A new routine of this area adds its flag to
// the list.
#include "compiler/base/used_flags.h"

#define QBC_HARDWARE_FLAGS(X) \
  X(NeedRc5) \
  X(NeedWriteEE) \
  X(NeedReadEE) \
  X(NeedSound) \
  X(NeedAdc) \
  X(NeedAdc8)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Hardware, QBC_HARDWARE_FLAGS)
}  // namespace qbc
