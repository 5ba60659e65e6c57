#pragma once
// Serial ports, I2C, 1-Wire, character and graphic LCDs.
// The keyword rows of this area; the driver's dispatcher takes them in once.
#include <span>

#include "compiler/base/dispatch_row.h"

namespace qbc {

std::span<const DispatchRow> CommDisplayDispatchRows();

}  // namespace qbc
