#include "compiler/statements/peripherals/keypad_functions.h"

#include "compiler/base/flags/delay_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"
#include "compiler/statements/peripherals/keypad_cells.h"

namespace qbc {

namespace {

// The call comes before the parentheses are checked; without $key it is still written
// and the message counted.
void CallKeyRoutine(CompilerState& st, const char* routine) {
  if (!st.Cells<KeypadCells>().KeysDeclared) CompileError(st, "Keys not defined!");
  ++st.src.TokenIndex;
  EmitCall(st, routine);
  ExpectToken(st, "(");
  ExpectToken(st, ")");
}

}  // namespace

std::uint8_t CompileKeyFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  CallKeyRoutine(st, "_Key");
  st.used.Set(NeedWaitMs);
  st.used.Set(NeedWaitUs);
  return result.Yield(kTypeByte);
}

std::uint8_t CompileNoKeyFunction(CompilerState& st, std::uint8_t wanted) {
  CallKeyRoutine(st, "_NKey");
  return wanted;
}

}  // namespace qbc
