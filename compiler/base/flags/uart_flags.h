#pragma once
// The used flags of the hardware UARTs (no digit: the first). A new routine of this area
// adds its flag to the list.
#include "compiler/base/used_flags.h"

#define QBC_UART_FLAGS(X) \
  X(NeedPrintCrLf) \
  X(NeedPrintCrLf2) \
  X(NeedPrintCrLf3) \
  X(NeedPrintCrLf1) \
  X(NeedPrintHexByte) \
  X(NeedPrintHexWord) \
  X(NeedPrintHexLong) \
  X(NeedPrintByte) \
  X(NeedPrintInteger) \
  X(NeedPrintWord) \
  X(NeedPrintLong) \
  X(NeedPrintString) \
  X(NeedPrintStringConst) \
  X(NeedPrintBinAll) \
  X(NeedPrintBinAll1) \
  X(NeedPrintBinAll2) \
  X(NeedPrintBinAll3) \
  X(NeedInputBinAll) \
  X(NeedInputBinAll2) \
  X(NeedInputBinAll1) \
  X(NeedInputBinAll3) \
  X(NeedInput) \
  X(NeedPrintByte2) \
  X(NeedPrintInteger2) \
  X(NeedPrintWord2) \
  X(NeedPrintLong2) \
  X(NeedPrintString2) \
  X(NeedPrintStringConst2) \
  X(NeedInput2) \
  X(NeedStrToNum2) \
  X(NeedPrintByte3) \
  X(NeedPrintInteger3) \
  X(NeedPrintWord3) \
  X(NeedPrintLong3) \
  X(NeedPrintString3) \
  X(NeedPrintStringConst3) \
  X(NeedInput3) \
  X(NeedStrToNum3) \
  X(NeedPrintByte1) \
  X(NeedPrintInteger1) \
  X(NeedPrintWord1) \
  X(NeedPrintLong1) \
  X(NeedPrintString1) \
  X(NeedPrintStringConst1) \
  X(NeedInput1) \
  X(NeedStrToNum1) \
  X(NeedGetChar) \
  X(NeedGetChar1) \
  X(NeedGetChar2) \
  X(NeedGetChar3)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Uart, QBC_UART_FLAGS)
}  // namespace qbc
