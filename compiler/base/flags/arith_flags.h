#pragma once
// The used flags of integer multiply and divide, shifts and rotations, integer to long. A
// new routine of this area adds its flag to the list.
#include "compiler/base/used_flags.h"

#define QBC_ARITH_FLAGS(X) \
  X(NeedI2L) \
  X(NeedI2Lo) \
  X(NeedShiftLeftByte) \
  X(NeedShiftLeftWord) \
  X(NeedShiftRightByte) \
  X(NeedShiftRightWord) \
  X(NeedShiftLeftLong) \
  X(NeedShiftRightLong) \
  X(NeedRotateLeftByte) \
  X(NeedRotateLeftWord) \
  X(NeedRotateRightByte) \
  X(NeedRotateRightWord) \
  X(NeedRotateRightLong) \
  X(NeedRotateLeftLong) \
  X(NeedMul8u) \
  X(NeedMul16u) \
  X(NeedMul16s) \
  X(NeedMul32) \
  X(NeedDiv8u) \
  X(NeedDiv16u) \
  X(NeedDiv16s) \
  X(NeedDiv32)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Arith, QBC_ARITH_FLAGS)
}  // namespace qbc
