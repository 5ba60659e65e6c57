#pragma once
// The bit-timed software UARTs Com1 to Com4 (channel `com`): byte sender and receiver,
// their text and number loops, the line input and the counted block receive. Pins, bit
// counts and polarity come from the channel's record, which Open filled.
//
//   _ComnO  r24 = byte: start bit, 8 data bits (bit 0 first), stop bit, each 6 * count
//           plus the sender's own cycles long (changes r23, r24, r25)
//   _CnOCL  CR and LF through _ComnO
//   _ComnI  zl = the next byte received, bits sampled at their middles (changes r23, r24)
//   _PCBWn, _PCnSt  the zero-terminated text at Z in SRAM; _PCnSc the one in flash
//   _SICn   a line of at most six characters into the input buffer under the stack;
//   _InSn   a line into X, at most r25 characters (changes zh too)
//   _ISBAn  zl bytes into X on (0: 256)
#include "compiler/base/state.h"

namespace qbc {

void EmitComOutputRoutines(CompilerState& st, int com);
void EmitComInputRoutine(CompilerState& st, int com);
void EmitComPrintByteWordRoutine(CompilerState& st, int com);
void EmitComPrintStringRoutine(CompilerState& st, int com);
void EmitComPrintStrConstRoutine(CompilerState& st, int com);
void EmitSoftInputComRoutine(CompilerState& st, int com);
void EmitSoftInputBinAllRoutine(CompilerState& st, int com);

}  // namespace qbc
