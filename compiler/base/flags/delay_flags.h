#pragma once
// The used flags of the wait routines. A new routine of this area adds its flag to the
// list.
#include "compiler/base/used_flags.h"

#define QBC_DELAY_FLAGS(X) \
  X(NeedWaitUs) \
  X(NeedWaitMicro) \
  X(NeedWait5us) \
  X(NeedWaitMs) \
  X(NeedWaitS) \
  X(NeedWaitTicks)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Delay, QBC_DELAY_FLAGS)
}  // namespace qbc
