#include "compiler/statements/math/abs_function.h"

#include "compiler/base/labels.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

// The signed type the argument is computed in: a byte or word difference may be negative
// (3 - 5), and a byte of 200 or a word of 40000 is not.
std::uint8_t SignedWidth(std::uint8_t wanted) {
  switch (wanted) {
    case kTypeByte:
      return kTypeInteger;
    case kTypeWord:
      return kTypeLong;
    default:
      return wanted;
  }
}

// A negative value of `type` in the working registers negated (two's complement).
void EmitNegateIfNegative(CompilerState& st, std::uint8_t type, const std::string& done) {
  st.out.Instr(Sep::kNarrow, "sbrs", type == kTypeLong ? "r19,0x07" : "zh,0x07");
  st.out.Instr(Sep::kNarrow, "rjmp", done);
  EmitNegate(st, type);
}

}  // namespace

std::uint8_t CompileAbsFunction(CompilerState& st, std::uint8_t wanted) {
  const std::string done = NewLabel(st);
  FunctionResult result(st, wanted);
  // The argument in a signed type that holds its own values and the wanted type's: the
  // absolute value of a whole word for a byte target, of a byte difference with none.
  std::uint8_t argument = SignedWidth(result.Wanted());
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  if (const std::uint8_t held = TypeHoldingExpression(st, result.Wanted()); held != kTypeNone)
    argument = SignedWidth(held);
  argument = ParseExpression(st, argument != kTypeNone ? argument : std::uint8_t{kTypeAnyNumber});
  ExpectToken(st, ")");
  std::uint8_t type = argument != kTypeNone ? argument : st.sticky.OperandType;
  if (st.sticky.OperandType == kTypeFloat) type = kTypeFloat;
  switch (type) {
    case kTypeInteger:
    case kTypeLong:
      EmitNegateIfNegative(st, type, done);
      break;
    case kTypeFloat:
      st.out.Instr(Sep::kNarrow, "andi", "r25,0x7f");
      break;
    default:
      // a byte or a word is never negative
      break;
  }
  EmitLabel(st, done);
  // The magnitude of an integer's -32768 is 32768: the value goes on as a word.
  return result.Yield(MagnitudeType(type));
}

}  // namespace qbc
