#pragma once
// Input routines of the hardware UARTs 0 to 3 (n = the UART's digit, none for UART 0):
//
//   _GetChn  waits for a received byte and returns it in zl. X is kept.
//   _Inputn  reads a line into the numeric input buffer (RAMEND - stack size, six
//            characters and a 0 byte); _InStnn reads a line to X, at most r25
//            characters. CR ends the line (on UART 0 also the $inputtermchar character),
//            LF is ignored, backspace takes back the last stored character (none when
//            nothing is stored), characters past the limit are dropped; the text is closed
//            with a 0 byte, X is left on it. No echo. Changes zl (0), r24, r25, X.
//   _IBAlln  receives zl bytes (0: 256) and stores them from X on. Changes zl, r25, X.
#include "compiler/base/state.h"

namespace qbc {

// Each takes the UART's number (0 to 3).
void EmitGetCharRoutine(CompilerState& st, int uart);          // NeedGetChar(n) or NeedInput(n)
void EmitInputRoutine(CompilerState& st, int uart);            // NeedInput(n)
void EmitHardInputBinAllRoutine(CompilerState& st, int uart);  // NeedInputBinAll(n)

}  // namespace qbc
