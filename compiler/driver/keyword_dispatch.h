#pragma once
// The keyword dispatcher: where the language's keywords meet their code generators, the
// rows of every statement area taken together. DispatchKeyword calls the generator of the
// current token's keyword, or the assignment when the token is no keyword or has no row.
#include <string_view>
#include <vector>

#include "compiler/base/dispatch_row.h"
#include "compiler/base/state.h"

namespace qbc {

// The row of a keyword, or nullptr.
const DispatchRow* FindDispatchRow(std::string_view keyword);
// Every area's rows, sorted by keyword.
const std::vector<const DispatchRow*>& DispatchRows();

void DispatchKeyword(CompilerState& st);

}  // namespace qbc
