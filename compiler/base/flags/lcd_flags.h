#pragma once
// The used flags of the character LCD. A new routine of this area adds its flag to the
// list.
#include "compiler/base/used_flags.h"

#define QBC_LCD_FLAGS(X) \
  X(NeedDef) \
  X(NeedLcdHex) \
  X(NeedLcdPrintByte) \
  X(NeedLcdPrintWord) \
  X(NeedLcdPrintString) \
  X(NeedLcdPrintStringConst)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Lcd, QBC_LCD_FLAGS)
}  // namespace qbc
