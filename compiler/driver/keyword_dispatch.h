#pragma once
// The keyword dispatcher: the one table where the language's keywords meet their code
// generators. DispatchKeyword (declared in seams.h) calls the generator of the current
// token's keyword, or the assignment when no row matches.
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

using Generator = void (*)(CompilerState&);

struct DispatchRow {
  std::string_view keyword;
  std::string_view generator;  // the generator's name
  Generator fn;                // nullptr while the generator is not built yet
};

// The row of a keyword, or nullptr.
const DispatchRow* FindDispatchRow(std::string_view keyword);
// Number of rows of the table.
int DispatchRowCount();

void DispatchKeyword(CompilerState& st);

}  // namespace qbc
