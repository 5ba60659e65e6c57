#include "compiler/statements/math/byte_functions.h"

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

// One byte argument through a routine that leaves a byte in zl.
void CompileByteRoutine(CompilerState& st, const char* routine, UsedFlag flag, UsedFlag helper) {
  FunctionResult result(st);
  CompileFirstArgument(st, kTypeByte);
  CallLibrary(st, routine, flag);
  st.used.Set(helper);
  ExpectToken(st, ")");
  result.Yield(kTypeByte);
}

}  // namespace

void CompileBcdFunction(CompilerState& st) { CompileByteRoutine(st, "_Bcd", NeedBcd, NeedDiv8u); }

void CompileFromBcdFunction(CompilerState& st) { CompileByteRoutine(st, "_FBcd", NeedFromBcd, NeedMul8u); }

void CompileMakeWordFunction(CompilerState& st) {
  FunctionResult result(st);
  CompileFirstArgument(st, kTypeByte);
  // the high byte waits on the stack: the low byte's expression may use zh
  st.out.Instr(Sep::kNarrow, "push", "zl");
  ExpectToken(st, ",");
  st.sticky.WantedType = kTypeByte;
  ParseExpression(st);
  st.out.Instr(Sep::kNarrow, "pop", "zh");
  ExpectToken(st, ")");
  result.Yield(kTypeWord);
}

void CompileMsbFunction(CompilerState& st) {
  FunctionResult result(st);
  CompileFirstArgument(st, kTypeWord);
  st.out.Instr(Sep::kWide, "mov", "zl,zh");
  ExpectToken(st, ")");
  result.Yield(kTypeByte);
}

void CompileHexFunction(CompilerState& st) {
  FunctionResult result(st);
  CompileFirstArgument(st, kTypeNone);
  // an expression wanted in no type is worked in the type that holds its operands
  std::uint8_t type = st.sticky.WantedType != kTypeNone ? st.sticky.WantedType : st.sticky.OperandType;
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
  result.Yield(kTypeNone);
  st.sticky.OperandType = kTypeString;
}

}  // namespace qbc
