#include "compiler/statements/peripherals/shift_statements.h"

#include <cstdint>

#include "compiler/base/flags/bus_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"
#include "compiler/statements/peripherals/block_operands.h"
#include "compiler/statements/peripherals/byte_transfers.h"
#include "compiler/statements/peripherals/shift_cells.h"

namespace qbc {

void CompileShiftOutStatement(CompilerState& st) {
  if (!st.Cells<ShiftCells>().ShiftOutDeclared) ReportInPlace(st, "$ShiftOut not set!");
  st.expr.StatementContext = true;
  ++st.src.TokenIndex;
  if (IsBlockForm(st)) {
    EmitBlockOperands(st, kTypeNone);
    CallLibrary(st, "_SOAll", NeedShiftOutAll);
    return;
  }
  // _Sout is written with $shiftout: its call has no flag of its own.
  EmitSendValues(st, "_Sout");
}

std::uint8_t CompileShiftInFunction(CompilerState& st, std::uint8_t wanted) {
  if (!st.Cells<ShiftCells>().ShiftInDeclared) ReportInPlace(st, "$ShiftIn not set!");
  st.expr.StatementContext = true;
  ++st.src.TokenIndex;
  FunctionResult result(st, wanted);
  if (const auto type = ReceivedType(st, result.Wanted())) {
    EmitReceiveValue(st, "_Sin", *type);
    return result.Yield(*type);
  }
  return wanted;
}

}  // namespace qbc
