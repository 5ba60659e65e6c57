#pragma once
// Handlers of single peripheral words, each entered on its word (dispatched by
// ParsePeripheralMetaStatement).
#include "compiler/base/state.h"

namespace qbc {

void ParseKeyMetaStatement(CompilerState& st);  // $key
void ParseLcdMetaStatement(CompilerState& st);  // $lcd

}  // namespace qbc
