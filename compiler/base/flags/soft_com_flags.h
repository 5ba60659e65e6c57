#pragma once
// The used flags of the software Com channels 1 to 4. A new routine of this area adds its
// flag to the list.
#include "compiler/base/used_flags.h"

#define QBC_SOFT_COM_FLAGS(X) \
  X(NeedSoftInputBinAll1) \
  X(NeedSoftInputBinAll2) \
  X(NeedSoftInputBinAll3) \
  X(NeedSoftInputBinAll4) \
  X(NeedSoftInput1) \
  X(NeedSoftInput2) \
  X(NeedSoftInput3) \
  X(NeedSoftInput4) \
  X(NeedComPrintByte1) \
  X(NeedComPrintByte2) \
  X(NeedComPrintByte3) \
  X(NeedComPrintByte4) \
  X(NeedComPrintWord1) \
  X(NeedComPrintWord2) \
  X(NeedComPrintWord3) \
  X(NeedComPrintWord4) \
  X(NeedComPrintString1) \
  X(NeedComPrintString2) \
  X(NeedComPrintString3) \
  X(NeedComPrintString4) \
  X(NeedComPrintStringConst1) \
  X(NeedComPrintStringConst2) \
  X(NeedComPrintStringConst3) \
  X(NeedComPrintStringConst4)

namespace qbc {
QBC_DECLARE_USED_FLAGS(SoftCom, QBC_SOFT_COM_FLAGS)

// Each channel's flags, by channel number less one.
inline constexpr UsedFlag kComPrintByte[] = {NeedComPrintByte1, NeedComPrintByte2, NeedComPrintByte3,
                                             NeedComPrintByte4};
inline constexpr UsedFlag kComPrintWord[] = {NeedComPrintWord1, NeedComPrintWord2, NeedComPrintWord3,
                                             NeedComPrintWord4};
inline constexpr UsedFlag kComPrintString[] = {NeedComPrintString1, NeedComPrintString2, NeedComPrintString3,
                                               NeedComPrintString4};
inline constexpr UsedFlag kComPrintStringConst[] = {NeedComPrintStringConst1, NeedComPrintStringConst2,
                                                    NeedComPrintStringConst3, NeedComPrintStringConst4};
inline constexpr UsedFlag kSoftInput[] = {NeedSoftInput1, NeedSoftInput2, NeedSoftInput3, NeedSoftInput4};
inline constexpr UsedFlag kSoftInputBinAll[] = {NeedSoftInputBinAll1, NeedSoftInputBinAll2, NeedSoftInputBinAll3,
                                                NeedSoftInputBinAll4};
}  // namespace qbc
