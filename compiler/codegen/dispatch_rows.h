#pragma once
// The general statements and functions: control flow, procedures, memory, waits,
// bits, flash tables and string functions.
// The keyword rows of this area; the driver's dispatcher takes them in once.
#include <span>

#include "compiler/base/dispatch_row.h"

namespace qbc {

std::span<const DispatchRow> GeneralDispatchRows();

}  // namespace qbc
