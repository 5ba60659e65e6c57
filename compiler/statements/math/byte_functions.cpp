#include "compiler/statements/math/byte_functions.h"

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

// One byte argument through a routine that leaves a byte in zl.
std::uint8_t CompileByteRoutine(CompilerState& st, const char* routine, UsedFlag flag, UsedFlag helper,
                                std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  CompileFirstArgument(st, kTypeByte);
  CallLibrary(st, routine, flag);
  st.used.Set(helper);
  ExpectToken(st, ")");
  return result.Yield(kTypeByte);
}

}  // namespace

std::uint8_t CompileBcdFunction(CompilerState& st, std::uint8_t wanted) {
  return CompileByteRoutine(st, "_Bcd", NeedBcd, NeedDiv8u, wanted);
}

std::uint8_t CompileFromBcdFunction(CompilerState& st, std::uint8_t wanted) {
  return CompileByteRoutine(st, "_FBcd", NeedFromBcd, NeedMul8u, wanted);
}

std::uint8_t CompileMakeWordFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  CompileFirstArgument(st, kTypeByte);
  // the high byte waits on the stack: the low byte's expression may use zh
  st.out.Instr(Sep::kNarrow, "push", "zl");
  ExpectToken(st, ",");
  ParseExpression(st, kTypeByte);
  st.out.Instr(Sep::kNarrow, "pop", "zh");
  ExpectToken(st, ")");
  return result.Yield(kTypeWord);
}

std::uint8_t CompileMsbFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  CompileFirstArgument(st, kTypeWord);
  st.out.Instr(Sep::kWide, "mov", "zl,zh");
  ExpectToken(st, ")");
  return result.Yield(kTypeByte);
}

std::uint8_t CompileHexFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  const std::uint8_t worked = CompileFirstArgument(st, kTypeNone);
  // an expression wanted in no type is worked in the type that holds its operands
  std::uint8_t type = worked != kTypeNone ? worked : st.sticky.OperandType;
  if (st.sticky.OperandType == kTypeFloat || st.sticky.OperandType == kTypeBit) type = st.sticky.OperandType;
  switch (type) {
    case kTypeByte:
      EmitCall(st, "_ToHB");
      break;
    case kTypeInteger:
    case kTypeWord:
      EmitCall(st, "_ToHW");
      break;
    case kTypeLong:
      EmitCall(st, "_ToHL");
      break;
    default:
      // no digits of a bit, float or text: the work area would hand on its old text
      CompileError(st, "Must be Byte, Integer, Word or Long!");
      break;
  }
  ExpectToken(st, ")");
  st.used.Set(NeedNumToHex);
  st.used.Set(NeedStoreStr);
  const std::uint8_t after = result.Yield(kTypeNone);
  st.sticky.OperandType = kTypeString;
  return after;
}

}  // namespace qbc
