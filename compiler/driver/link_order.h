#pragma once
// The link step's fixed order of library emitters: the rows of every library area, merged
// by their keys. Each row has the guard under which it runs; a row whose emitter is not
// built yet has null emitters and is passed over.
#include <span>

#include "compiler/base/link_row.h"

namespace qbc {

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
