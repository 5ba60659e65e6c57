#pragma once
// A row of the link step's fixed order: a library routine's emitter and the guard under
// which it runs. Each library area keeps its rows in its own link_rows.cpp; the driver
// merges every area's rows into one order by their keys.
//
// A routine that exists once per UART, channel or mode takes that number from its row
// instead of a wrapper per number; the guard gets the same number:
//   {170, "EmitPrint2StringRoutine", PrintStringWanted, nullptr, EmitPrintStringRoutine, 2},
#include "compiler/base/state.h"

namespace qbc {

using LinkEmitter = void (*)(CompilerState&);
using LinkNumberedEmitter = void (*)(CompilerState&, int number);
using LinkGuard = bool (*)(const CompilerState&, int number);

struct LinkRow {
  int Key;          // place in the fixed order: rows run by rising key, no two share one
  const char* Name;  // the emitter's name (or the action's description)
  LinkGuard Guard;   // the row runs when this holds
  LinkEmitter Emit = nullptr;                  // null (and no numbered emitter): not built yet
  LinkNumberedEmitter EmitNumbered = nullptr;  // called with Number (1-Wire rows: the bus)
  int Number = 0;                              // passed to the guard and EmitNumbered
  LinkEmitter Action = nullptr;                // built-in step of the link step itself (always run)
  bool PerBus = false;                         // run once for each 1-Wire bus, the bus as the number
};

}  // namespace qbc

// A guard written as the expression over the state `s` (and the row's number `n`).
#define QBC_LINK_GUARD(expr) [](const CompilerState& s, [[maybe_unused]] int n) -> bool { return expr; }
