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

void DispatchFactorKeyword(CompilerState& st) {
  const DispatchRow* row = FindDispatchRow(st.TokText());
  if (row != nullptr && YieldsValue(*row)) {
    DispatchKeyword(st);
    return;
  }
  CompileError(st, UpperText(st.TokText()) + " cannot stand in an expression!");
}

void DispatchKeyword(CompilerState& st) {
  const std::string& text = st.TokText();
  // "spi", "spiin" and the timer and counter words keep SkipOperandPush: their value may
  // be the left operand that a simple assignment loads into the second-operand registers.
  const std::string first5 = text.substr(0, 5);
  if (!(first5 == "spiin" || first5 == "timer" || text.starts_with("counter") || text == "spi"))
    st.sticky.SkipOperandPush = false;

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
    if (row->fn != nullptr) row->fn(st);
    CheckStatementEnd(st);
    return;
  }
  if (row->fn != nullptr) {
    row->fn(st);
    return;
  }
  if (row->numbered != nullptr) {
    row->numbered(st, row->number);
    return;
  }
  CompileError(st, "Not supported yet: " + UpperText(text));
  PassOverStatement(st);
}

}  // namespace qbc
