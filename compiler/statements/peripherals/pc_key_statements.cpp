#include "compiler/statements/peripherals/pc_key_statements.h"

#include "compiler/base/flags/delay_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"
#include "compiler/statements/peripherals/pc_key_cells.h"

namespace qbc {

namespace {

// Without $pckey the routines have no lines to drive and are not written: the call would
// name a label the program lacks. The call is still written and the message counted.
void CheckConfigured(CompilerState& st) {
  const PcKeyCells& k = st.Cells<PcKeyCells>();
  if (k.PcKeyDataPort.empty() || k.PcKeyClockPort.empty()) CompileError(st, "PcKey not configured yet!");
}

}  // namespace

std::uint8_t CompilePcKeyFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  CheckConfigured(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ExpectToken(st, ")");
  EmitCall(st, "_PCkey");
  st.used.Set(NeedWaitMs);
  return result.Yield(kTypeByte);
}

void CompilePcKeySendStatement(CompilerState& st) {
  CheckConfigured(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  kit::LoadValue(st, kTypeByte);
  ExpectToken(st, ")");
  EmitCall(st, "_PCsnd");
  st.used.Set(NeedWaitMs);
  st.Cells<PcKeyCells>().NeedPcKey = true;
}

}  // namespace qbc
