#pragma once
// The PC/AT (PS/2) keyboard on the two $pckey lines, bit by bit on the keyboard's clock
// (frames of a start bit 0, eight data bits least significant first, odd parity, stop 1):
//
//   _PCkey  zl = the next byte the keyboard sends (parity and stop bit clocked past, not
//           checked). Changes r24 and the flags.
//   _PCwt   returns just after the clock's next falling edge. Changes nothing.
//   _PCsnd  sends zl to the keyboard: the clock held low 1 ms first (the keyboard drops a
//           frame it is sending and keeps quiet), the data line low as the request to
//           send, the clock let go; then the bits on the keyboard's clock, the data line
//           let go for the stop bit, the keyboard's acknowledge, and 22 ms for its answer
//           to pass. Changes zl, r24, the T flag and the flags, and what _Wms changes.
//   _PCini  (unless "noinit") the clock line an input with pull-up, then sends 0xF0, 0x03
//           (scan code set 3) through _PCsnd.
//
// A line whose registers lie beyond the bit instructions' reach (PORTF of the ATmega128,
// ports H to L of the ATmega2560) is read and written through r25, which the routines keep.
#include "compiler/base/state.h"

namespace qbc {

void EmitPcKeyRoutines(CompilerState& st);

}  // namespace qbc
