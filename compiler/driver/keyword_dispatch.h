#pragma once
// The keyword dispatcher: where the language's keywords meet their code generators, the
// rows of every statement area taken together. DispatchKeyword calls the generator of the
// current token's keyword, or the assignment when the token is no keyword or has no row.
#include <cstdint>
#include <string_view>
#include <vector>

#include "compiler/base/dispatch_row.h"
#include "compiler/base/state.h"

namespace qbc {

// The row of a keyword, or nullptr.
const DispatchRow* FindDispatchRow(std::string_view keyword);
// Every area's rows, sorted by keyword.
const std::vector<const DispatchRow*>& DispatchRows();
// True when the row's generator compiles a value that an expression takes as an operand
// (its result column names one).
bool YieldsValue(const DispatchRow& row);

// A keyword that begins a statement (a function's row compiles its value wanted in no type).
void DispatchKeyword(CompilerState& st);
// A keyword met where an expression wants an operand: only a row that yields a value (a
// function, a timer's count) is compiled, as `wanted`; it returns the type the expression
// goes on in. Any other keyword is one compile error, never a statement compiled in the
// middle of an expression.
std::uint8_t DispatchFactorKeyword(CompilerState& st, std::uint8_t wanted);

}  // namespace qbc
