// The fixed order in which the link step appends the library routines: every library
// area's rows, merged by their keys.
#include "compiler/driver/link_order.h"

#include <algorithm>
#include <string>
#include <vector>

#include "compiler/base/compile_error.h"
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

// The routine's name as the row names its emitter, without "Emit" and "Routine(s)".
std::string RoutineName(const char* emitter) {
  std::string name = emitter;
  if (name.starts_with("Emit")) name.erase(0, 4);
  for (const char* tail : {"Routines", "Routine"}) {
    if (name.ends_with(tail)) {
      name.erase(name.size() - std::char_traits<char>::length(tail));
      break;
    }
  }
  return name;
}

void EmitRow(CompilerState& st, const LinkRow& row, int number) {
  if (row.Emit != nullptr)
    row.Emit(st);
  else if (row.EmitNumbered != nullptr)
    row.EmitNumbered(st, number);
  else if (!row.PerBus || number == 0)
    // The program needs a routine the library does not write yet: without it the program
    // would only fail in the assembler, after a compilation reported as good.
    CompileError(st, "Not supported yet: " + RoutineName(row.Name));
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
