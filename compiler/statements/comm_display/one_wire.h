#pragma once
// The 1-Wire words (1wreset, 1wwrite, 1wread), as statements and inside expressions.
#include "compiler/base/state.h"

namespace qbc {

void Compile1WireStatement(CompilerState& st);

}  // namespace qbc
