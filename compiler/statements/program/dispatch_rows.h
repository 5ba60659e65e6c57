#pragma once
// Declarations and program structure: Dim, Declare, Exit, End and Const.
// The keyword rows of this area; the driver's dispatcher takes them in once.
#include <span>

#include "compiler/base/dispatch_row.h"

namespace qbc {

std::span<const DispatchRow> ProgramDispatchRows();

}  // namespace qbc
