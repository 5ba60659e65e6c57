#pragma once
// Output routines of the hardware UARTs 0 to 3 (n = the UART's digit, none for UART 0):
//
//   _PCLn   sends CR and LF (UART 0 with $printtermchar: that one character); runs on
//           into _Pchn. Changes r24 and what _Pchn changes.
//   _Pchn   sends r24 once the data register is empty. Changes r25 and the status flags;
//           UART 0 with software parity also r0 and T (see _Prty).
//   _PrBWn, _PStn  send the zero-terminated text at Z (SRAM). Z ends past the 0 byte.
//   _PScn   sends the zero-terminated text at Z in flash (RAMPZ:Z where the chip has it).
//   _PBAlln sends zl bytes from X on (0 sends 256). Changes X, zh, r24.
//   _Prty   (UART 0 on chips without the newer UART) sets the ninth transmit bit from the
//           parity code in _SysPar (0 none, 1 mark, 2 space, 3 odd, 4 even); r24 is kept,
//           r25, r0 and T change.
// Every label is unique without regard to case, as the assembler compares them.
#include "compiler/base/state.h"

namespace qbc {

// Each takes the UART's number (0 to 3).
void EmitPrintCharRoutine(CompilerState& st, int uart);        // NeedPrintCrLf(n)
void EmitPrintByteWordRoutine(CompilerState& st, int uart);    // NeedPrintByte/Integer/Word/Long(n)
void EmitPrintStringRoutine(CompilerState& st, int uart);      // NeedPrintString(n)
void EmitPrintStrConstRoutine(CompilerState& st, int uart);    // NeedPrintStringConst(n)
void EmitHardPrintBinAllRoutine(CompilerState& st, int uart);  // NeedPrintBinAll(n)

// True when UART 0's output sets the ninth bit in software (a frame format on a chip
// without the newer UART); the start-up code then enables nine-bit frames and _SysPar.
bool UartSoftwareParity(const CompilerState& st);

}  // namespace qbc
