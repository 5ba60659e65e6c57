#pragma once
// The core area's rows of the link step's fixed order (merged with every other area's by
// the driver).
#include <span>

#include "compiler/base/link_row.h"

namespace qbc {

std::span<const LinkRow> CoreLinkRows();
std::span<const LinkRow> FloatLinkRows();

}  // namespace qbc
