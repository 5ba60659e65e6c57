#include "compiler/codegen/dispatch_rows.h"

#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/flash_tables.h"
#include "compiler/codegen/handlers/handler_definition.h"
#include "compiler/codegen/procedures.h"
#include "compiler/codegen/string_functions.h"

namespace qbc {

namespace {

// One row per keyword (see dispatch_row.h). A row whose generator is not built yet
// carries nullptr: the statement is reported as not supported yet.
constexpr DispatchRow kRows[] = {
    // Declarations and program structure
    {"on", "CompileOnStatement", CompileOnStatement},
    // Control flow
    {"if", "CompileIfStatement", CompileIfStatement},
    {"select", "CompileSelectStatement", CompileSelectStatement},
    {"do", "CompileDoStatement", CompileDoStatement},
    {"while", "CompileWhileStatement", CompileWhileStatement},
    {"for", "CompileForStatement", CompileForStatement},
    {"goto", "CompileGotoStatement", CompileGotoStatement},
    // Procedures
    {"sub", "CompileSubDefinition", CompileSubDefinition},
    {"function", "CompileFunctionDefinition", CompileFunctionDefinition},
    {"interrupt", "CompileInterruptDefinition", CompileInterruptDefinition},
    {"return", "CompileReturnStatement", CompileReturnStatement},
    // Memory and waits
    {"peek", "CompilePeekFunction", CompilePeekFunction, RowResult::kByte},
    {"cpeek", "CompileCpeekFunction", CompileCpeekFunction, RowResult::kByte},
    {"poke", "CompilePokeStatement", CompilePokeStatement},
    {"waitus", "CompileWaitUsStatement", CompileWaitUsStatement},
    {"waitms", "CompileWaitMsStatement", CompileWaitMsStatement},
    {"wait", "CompileWaitStatement", CompileWaitStatement},
    {"incr", "CompileIncrStatement", CompileIncrStatement},
    {"decr", "CompileDecrStatement", CompileDecrStatement},
    // Bits and pins
    {"toggle", "CompileToggleStatement", CompileToggleStatement},
    {"bitwait", "CompileBitWaitStatement", CompileBitWaitStatement},
    // Flash tables
    {"find8", "CompileFind8Function", CompileFind8Function, RowResult::kAnyWidth},
    {"find16", "CompileFind16Function", CompileFind16Function, RowResult::kAnyWidth},
    // String functions
    {"chr", "CompileChrFunction", CompileChrFunction, RowResult::kChar},
    {"str", "CompileStrFunction", CompileStrFunction, RowResult::kNumberText},
    {"len", "CompileLenFunction", CompileLenFunction, RowResult::kByte},
    {"left", "CompileLeftFunction", CompileLeftFunction, RowResult::kText},
    {"right", "CompileRightFunction", CompileRightFunction, RowResult::kText},
    {"mid", "CompileMidFunction", CompileMidFunction, RowResult::kText},
    {"val", "CompileValFunction", CompileValFunction, RowResult::kInteger},
    {"hexval", "CompileHexValFunction", CompileHexValFunction, RowResult::kWord},
    {"instr", "CompileInstrFunction", CompileInstrFunction, RowResult::kByte},
};

}  // namespace

std::span<const DispatchRow> GeneralDispatchRows() { return kRows; }

}  // namespace qbc
