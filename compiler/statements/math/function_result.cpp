#include "compiler/statements/math/function_result.h"

#include "compiler/codegen/integer_to_float.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/base/compile_error.h"

namespace qbc {

FunctionResult::FunctionResult(CompilerState& st)
    : st_(st), wanted_(st.sticky.WantedType), skip_(st.sticky.SkipOperandPush) {
  st_.sticky.SkipOperandPush = false;
}

void FunctionResult::Yield(std::uint8_t type) {
  st_.sticky.WantedType = wanted_;
  st_.sticky.SkipOperandPush = skip_;
  const bool integer = type >= kTypeByte && type <= kTypeLong;
  if (type != kTypeFloat && !integer) return;
  st_.sticky.OperandType = type;
  if (wanted_ == kTypeNone) {
    st_.sticky.WantedType = type;
    return;
  }
  if (type == kTypeFloat) {
    // as a float variable read into an integer (_Fxsf)
    if (wanted_ >= kTypeByte && wanted_ <= kTypeLong) EmitConvertFromFloat(st_);
    return;
  }
  if (wanted_ == kTypeFloat) {
    EmitIntegerToFloat(st_, type, IntegerInWorkRegisters());
  } else if (wanted_ > type && type != kTypeLong) {
    strlines::WidenResult(st_, type == kTypeByte ? 1 : 2, type == kTypeInteger, wanted_, skip_);
  }
  if (wanted_ == kTypeFloat || (wanted_ >= kTypeByte && wanted_ <= kTypeLong)) st_.sticky.OperandType = wanted_;
}

void CompileFirstArgument(CompilerState& st, std::uint8_t wanted) {
  st.sticky.WantedType = wanted;
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ParseExpression(st);
  if (wanted != 0) kit::RejectText(st);
}

}  // namespace qbc
