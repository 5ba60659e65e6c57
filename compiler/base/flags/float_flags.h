#pragma once
// The used flags of the float core and the float functions. A new routine of this area
// adds its flag to the list.
#include "compiler/base/used_flags.h"

#define QBC_FLOAT_FLAGS(X) \
  X(NeedFloatCore) \
  X(NeedFdp) \
  X(NeedFcmp0) \
  X(NeedFmul) \
  X(NeedFdiv) \
  X(NeedFmov) \
  X(NeedFadd) \
  X(NeedFsqrt) \
  X(NeedFsin) \
  X(NeedFACos) \
  X(NeedFtan) \
  X(NeedFquad) \
  X(NeedFAtan) \
  X(NeedFAtan2) \
  X(NeedFsinh) \
  X(NeedFcosh) \
  X(NeedFtanh) \
  X(NeedFexp) \
  X(NeedFlog) \
  X(NeedFmod) \
  X(NeedFmodf) \
  X(NeedFint) \
  X(NeedFfrac) \
  X(NeedFpow) \
  X(NeedFpot) \
  X(NeedF2e) \
  X(NeedFstr)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Float, QBC_FLOAT_FLAGS)
}  // namespace qbc
