#pragma once
// The keypad routines that $key asks for, in one of three forms (matrix, keys in line
// active low, keys in line active high):
//
//   _Key    zl = the key: matrix 8 * column bit + row bit + 1 of the lowest pressed column
//           and row lines, keys in line the pressed lines' bits; 0 for no key or a key
//           that bounced during the debounce wait. Matrix: zh, r24, r25 and what _Wus,
//           _Wms and Mpy8u change; in line: r24 and what _Wms changes; with a key
//           signal also r23 and what its routine changes.
//   _NKey   waits until no key is pressed (matrix: columns driven low, rows pulled up).
//           r24, flags; matrix also zl, r25 and what _Wus changes.
//   _KyIni  (keys in line) rows to inputs with pull-ups, the port's other lines kept.
//
// The key signal (a pin pulse or a tone) is given inside _Key after a key was read,
// while the program's byte KeyBeep is not 0.
#include "compiler/base/state.h"

namespace qbc {

void EmitKeyRoutines(CompilerState& st);

}  // namespace qbc
