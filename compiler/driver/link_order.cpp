// The fixed order in which the link step appends the library routines: every library
// area's rows, merged by their keys.
#include "compiler/driver/link_order.h"

#include <algorithm>
#include <vector>

#include "compiler/library/comm/link_rows.h"
#include "compiler/library/core/link_rows.h"
#include "compiler/library/display/link_rows.h"
#include "compiler/library/hardware/link_rows.h"
#include "compiler/statements/comm_display/one_wire_cells.h"

namespace qbc {

namespace {

// Every area's link rows, taken in once. A new area adds its function here; a new routine
// adds its row to its area's link_rows file.
constexpr std::span<const LinkRow> (*kAreaLinkRows[])() = {
    CoreLinkRows, FloatLinkRows, UartLinkRows, BusLinkRows, LcdLinkRows, GlcdLinkRows, HardwareLinkRows,
};

const std::vector<LinkRow>& MergedRows() {
  static const std::vector<LinkRow> merged = [] {
    std::vector<LinkRow> v;
    for (auto rows : kAreaLinkRows) v.insert(v.end(), rows().begin(), rows().end());
    std::stable_sort(v.begin(), v.end(), [](const LinkRow& a, const LinkRow& b) { return a.Key < b.Key; });
    return v;
  }();
  return merged;
}

void EmitRow(CompilerState& st, const LinkRow& row, int number) {
  if (row.Emit != nullptr)
    row.Emit(st);
  else if (row.EmitNumbered != nullptr)
    row.EmitNumbered(st, number);
}

}  // namespace

std::span<const LinkRow> LinkOrder() { return MergedRows(); }

void RunLinkOrder(CompilerState& st, std::span<const LinkRow> rows, LinkRowHook onRow, void* context) {
  for (const LinkRow& row : rows) {
    if (!row.Guard(st, row.Number)) continue;
    if (row.Action != nullptr) {
      row.Action(st);
      continue;
    }
    if (row.PerBus) {
      const int last = st.Cells<OneWireCells>().OneWireBuses[0].LastBusIndex;
      for (int bus = 0; bus <= last && bus < static_cast<int>(st.Cells<OneWireCells>().OneWireBuses.size()); ++bus) {
        if (onRow != nullptr)
          onRow(st, row, bus, context);
        else
          EmitRow(st, row, bus);
      }
      continue;
    }
    if (onRow != nullptr)
      onRow(st, row, -1, context);
    else
      EmitRow(st, row, row.Number);
  }
}

}  // namespace qbc
