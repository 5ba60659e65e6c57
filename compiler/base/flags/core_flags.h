#pragma once
// The used flags of memory, strings, numbers as text, bit variables, search and sort, BCD,
// CRC. A new routine of this area adds its flag to the list.
#include "compiler/base/used_flags.h"

#define QBC_CORE_FLAGS(X) \
  X(NeedNumToHex) \
  X(NeedMfil) \
  X(NeedHx2Nm) \
  X(NeedVaBiL) \
  X(NeedLcase) \
  X(NeedUcase) \
  X(NeedSort) \
  X(NeedSqr16) \
  X(NeedSqr32) \
  X(NeedStrI) \
  X(NeedFnd8) \
  X(NeedFnd8Alt) \
  X(NeedFnd16) \
  X(NeedFnd16Alt) \
  X(NeedFSC) \
  X(NeedStrToNum) \
  X(NeedStrToLong) \
  X(NeedHx2Long) \
  X(NeedInstr) \
  X(NeedByteToStr) \
  X(NeedLongToStr) \
  X(NeedIntToStr) \
  X(NeedStoreStr) \
  X(NeedStoreStrConst) \
  X(NeedStrCmp) \
  X(NeedStrConstCmp) \
  X(NeedLenStr) \
  X(NeedLenStrConst) \
  X(NeedStoreBit) \
  X(NeedBitMask) \
  X(NeedCrc8) \
  X(NeedMemCopy) \
  X(NeedFromBcd) \
  X(NeedBcd)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Core, QBC_CORE_FLAGS)
}  // namespace qbc
