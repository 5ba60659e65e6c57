#include "compiler/statements/program/dispatch_rows.h"

#include "compiler/frontend/const_statement.h"
#include "compiler/statements/program/simple_statements.h"

namespace qbc {

namespace {

// One row per keyword (see dispatch_row.h). A row whose generator is not built yet
// carries nullptr: the statement is reported as not supported yet.
constexpr DispatchRow kRows[] = {
    // Declarations and program structure
    {"dim", "CompileDimStatement", CompileDimStatement},
    {"declare", "CompileDeclareStatement", CompileDeclareStatement},
    {"exit", "CompileExitStatement", CompileExitStatement},
    {"end", "CompileEndStatement", CompileEndStatement},
    {"const", "CompileConstStatement", CompileConstStatement},
};

}  // namespace

std::span<const DispatchRow> ProgramDispatchRows() { return kRows; }

}  // namespace qbc
