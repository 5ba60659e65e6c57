#pragma once
// The hardware area's rows of the link step's fixed order (merged with every other area's by
// the driver).
#include <span>

#include "compiler/base/link_row.h"

namespace qbc {

std::span<const LinkRow> HardwareLinkRows();

}  // namespace qbc
