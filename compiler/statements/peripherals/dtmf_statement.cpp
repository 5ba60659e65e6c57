#include "compiler/statements/peripherals/dtmf_statement.h"

#include "compiler/base/flags/delay_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/statements/peripherals/dtmf_cells.h"

namespace qbc {

void CompileDtmfStatement(CompilerState& st) {
  // The routine and its handler come with $dtmf (its pin and the tone's length).
  if (!st.Cells<DtmfCells>().DtmfUsed) ReportInPlace(st, "DTMF not configured yet!");
  ClaimInterruptVector(st, "OVF1", "$dtmf");
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  // Sixteen keys, 0 to 15: the routine keeps a value in the table's range at run time.
  if (const auto key = kit::ConstantArgument(st); key && (*key < 0 || *key > 15))
    ReportInPlace(st, "Must be from 0 to 15!");
  kit::LoadValue(st, kTypeByte);
  EmitCall(st, "_DTMF");
  ExpectToken(st, ")");
  st.used.Set(NeedWaitMs);
}

}  // namespace qbc
