#pragma once
// The link step's fixed order of library emitters, each with the guard under which it
// runs. One row per emitter (or per built-in action between emitters); a row whose
// emitter is not built yet has a null pointer and is passed over.
#include <cstddef>
#include <cstdint>
#include <span>

#include "compiler/base/state.h"

namespace qbc {

using LinkEmitter = void (*)(CompilerState&);
using LinkBusEmitter = void (*)(CompilerState&, std::uint8_t bus);
using LinkGuard = bool (*)(const CompilerState&);

struct LinkRow {
  const char* Name;       // the emitter's name (or the action's description)
  LinkGuard Guard;        // the row runs when this holds
  LinkEmitter Emit;       // null: not built yet
  LinkBusEmitter EmitBus = nullptr;  // 1-Wire rows: called once per bus 0 .. LastBusIndex
  LinkEmitter Action = nullptr;      // built-in step of the link step itself (always run)
  bool PerBus = false;               // run once for each 1-Wire bus
};

// The rows in link order.
std::span<const LinkRow> LinkOrder();

// Runs the rows in order. Each row's guard is tested when its turn comes (an emitter may
// set the used flag of a routine later in the order). onRow, when given, is called for
// every row whose guard holds, in place of the row's emitter (bus is the 1-Wire bus
// number, or -1).
using LinkRowHook = void (*)(CompilerState&, const LinkRow&, int bus, void* context);
void RunLinkOrder(CompilerState& st, std::span<const LinkRow> rows, LinkRowHook onRow = nullptr,
                  void* context = nullptr);

}  // namespace qbc
