#include "compiler/statements/math/function_result.h"

#include "compiler/codegen/integer_to_float.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/base/compile_error.h"

namespace qbc {

FunctionResult::FunctionResult(CompilerState& st, std::uint8_t wanted)
    : st_(st), wanted_(wanted), skip_(st.sticky.SkipOperandPush), place_(st, kTypeNone) {
  st_.sticky.SkipOperandPush = false;
}

std::uint8_t FunctionResult::Yield(std::uint8_t type) {
  st_.sticky.SkipOperandPush = skip_;
  const bool integer = type >= kTypeByte && type <= kTypeLong;
  if (type != kTypeFloat && !integer) return wanted_;
  st_.sticky.OperandType = type;
  if (wanted_ == kTypeNone) return type;
  if (type == kTypeFloat) {
    // as a float variable read into an integer (_Fxsf)
    if (wanted_ >= kTypeBit && wanted_ <= kTypeLong) EmitConvertFromFloat(st_, wanted_);
    return wanted_;
  }
  if (wanted_ == kTypeFloat) {
    EmitIntegerToFloat(st_, type, IntegerInWorkRegisters());
  } else if (wanted_ > type && type != kTypeLong) {
    strlines::WidenResult(st_, type == kTypeByte ? 1 : 2, type == kTypeInteger, wanted_, skip_);
  }
  if (wanted_ == kTypeFloat || (wanted_ >= kTypeByte && wanted_ <= kTypeLong)) st_.sticky.OperandType = wanted_;
  return wanted_;
}

std::uint8_t CompileFirstArgument(CompilerState& st, std::uint8_t wanted) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  return ParseExpression(st, wanted);
}

}  // namespace qbc
