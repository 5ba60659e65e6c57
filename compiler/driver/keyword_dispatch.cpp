#include "compiler/driver/keyword_dispatch.h"

#include "compiler/base/source_names.h"
#include "compiler/driver/keyword_list.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/codegen/assignment.h"
#include "compiler/codegen/dispatch_rows.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/statements/comm_display/dispatch_rows.h"
#include "compiler/statements/hardware/dispatch_rows.h"
#include "compiler/statements/program/dispatch_rows.h"

namespace qbc {

namespace {

// Every area's rows, taken in once. A new area adds its function here; a new statement
// adds its row to its area's dispatch_rows.cpp.
constexpr std::span<const DispatchRow> (*kAreaRows[])() = {
    ProgramDispatchRows,
    GeneralDispatchRows,
    HardwareDispatchRows,
    CommDisplayDispatchRows,
};

void PassOverStatement(CompilerState& st) {
  while (st.TokText() != "<EOL>" && !IsWord(st.Tok(), ":")) ++st.src.TokenIndex;
}

// The rows sorted by keyword, for a binary search.
const std::vector<const DispatchRow*>& SortedRows() {
  static const std::vector<const DispatchRow*> sorted = [] {
    std::vector<const DispatchRow*> v;
    for (auto rows : kAreaRows)
      for (const DispatchRow& r : rows()) v.push_back(&r);
    std::sort(v.begin(), v.end(), [](const DispatchRow* a, const DispatchRow* b) { return a->keyword < b->keyword; });
    return v;
  }();
  return sorted;
}

}  // namespace

const DispatchRow* FindDispatchRow(std::string_view keyword) {
  const auto& rows = SortedRows();
  auto it = std::lower_bound(rows.begin(), rows.end(), keyword,
                             [](const DispatchRow* r, std::string_view k) { return r->keyword < k; });
  if (it != rows.end() && (*it)->keyword == keyword) return *it;
  return nullptr;
}

const std::vector<const DispatchRow*>& DispatchRows() { return SortedRows(); }

bool YieldsValue(const DispatchRow& row) { return row.result != RowResult::kNone; }

namespace {

// "spi", "spiin" and the timer and counter words keep SkipOperandPush: their value may be
// the left operand that a simple assignment loads into the second-operand registers.
void ClearSkipOperandPush(CompilerState& st, const std::string& text) {
  const std::string first5 = text.substr(0, 5);
  if (!(first5 == "spiin" || first5 == "timer" || text.starts_with("counter") || text == "spi"))
    st.sticky.SkipOperandPush = false;
}

// Calls the row's generator; a function's value is compiled as `wanted`.
std::uint8_t RunRow(CompilerState& st, const DispatchRow& row, std::uint8_t wanted) {
  if (row.fn.statement != nullptr) {
    row.fn.statement(st);
    return wanted;
  }
  if (row.fn.value != nullptr) return row.fn.value(st, wanted);
  if (row.numbered.statement != nullptr) {
    row.numbered.statement(st, row.number);
    return wanted;
  }
  if (row.numbered.value != nullptr) return row.numbered.value(st, row.number, wanted);
  CompileError(st, "Not supported yet: " + UpperText(st.TokText()));
  PassOverStatement(st);
  return wanted;
}

}  // namespace

std::uint8_t DispatchFactorKeyword(CompilerState& st, std::uint8_t wanted) {
  const DispatchRow* row = FindDispatchRow(st.TokText());
  if (row != nullptr && YieldsValue(*row)) {
    ClearSkipOperandPush(st, st.TokText());
    return RunRow(st, *row, wanted);
  }
  CompileError(st, UpperText(st.TokText()) + " cannot stand in an expression!");
  return wanted;
}

void DispatchKeyword(CompilerState& st) {
  const std::string& text = st.TokText();
  ClearSkipOperandPush(st, text);

  // Only keywords dispatch: an array whose name has a row (or any other name) is an
  // assignment target.
  const DispatchRow* row = IsKeyword(text) ? FindDispatchRow(text) : nullptr;
  if (row == nullptr) {
    st.expr.StatementContext = true;
    CompileAssignment(st);
    return;
  }
  if (row->keyword == "glcdinit") {
    ++st.src.TokenIndex;
    if (row->fn.statement != nullptr) row->fn.statement(st);
    CheckStatementEnd(st);
    return;
  }
  RunRow(st, *row, kTypeNone);
}

}  // namespace qbc
