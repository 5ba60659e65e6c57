#include "compiler/statements/math/float_functions.h"

#include <initializer_list>
#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/float_use.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

enum class Angle { kNone, kArgument, kResult, kAlways };

// One member: its routine (empty for the conversions, which only multiply), whether it
// takes two arguments, where degrees mode converts, and the routines its own calls reach.
// Rows are found by their member, so their order is free.
struct MemberRow {
  FloatMember member;
  const char* routine;
  bool twoArgs;
  Angle angle;
  bool sumOnly;  // the argument is a sum (no logical operators)
  std::initializer_list<UsedFlag> flags;
};

const MemberRow kMembers[] = {
    {kFloatPow, "_Fpow", true, Angle::kNone, false,
     {NeedFpow, NeedFmul, NeedFadd, NeedFlog, NeedFexp, NeedFpot, NeedFdiv, NeedFmov}},
    {kFloatExp, "_Fexp", false, Angle::kNone, false, {NeedFmul, NeedFexp, NeedFpot, NeedFdiv, NeedFadd}},
    {kFloatLog, "_Fln", false, Angle::kNone, false, {NeedFadd, NeedFlog, NeedFpot, NeedFdiv, NeedFmul}},
    {kFloatLog10, "_Flog", false, Angle::kNone, false, {NeedFadd, NeedFlog, NeedFpot, NeedFdiv, NeedFmul}},
    {kFloatSqr, "_Fpow2", false, Angle::kNone, false, {NeedFmul, NeedFadd}},
    {kFloatSin, "_Fsin", false, Angle::kArgument, false, {NeedFsin, NeedFadd, NeedFpot, NeedFdiv, NeedFmul}},
    {kFloatCos, "_Fcos", false, Angle::kArgument, false, {NeedFsin, NeedFadd, NeedFpot, NeedFdiv, NeedFmul}},
    {kFloatTan, "_Ftan", false, Angle::kArgument, false, {NeedFtan, NeedFmul, NeedFadd, NeedFpot, NeedFdiv}},
    {kFloatAsin, "_FAsin", false, Angle::kResult, false, {NeedFACos, NeedFadd, NeedFpot, NeedFdiv, NeedFmul}},
    {kFloatAcos, "_FAcos", false, Angle::kResult, false, {NeedFACos, NeedFadd, NeedFpot, NeedFdiv, NeedFmul}},
    {kFloatAtan, "_FAtan", false, Angle::kResult, false, {NeedFAtan, NeedFAtan2, NeedFmul, NeedFadd, NeedFpot, NeedFdiv}},
    {kFloatAtan2, "_FAtan2", true, Angle::kResult, false,
     {NeedFAtan2, NeedFmul, NeedFadd, NeedFpot, NeedFdiv, NeedFmov}},
    {kFloatSinh, "_Fsinh", false, Angle::kNone, false, {NeedFsinh, NeedFexp, NeedFmul, NeedFpot, NeedFdiv, NeedFadd}},
    {kFloatCosh, "_Fcosh", false, Angle::kNone, false, {NeedFcosh, NeedFexp, NeedFmul, NeedFpot, NeedFdiv, NeedFadd}},
    {kFloatTanh, "_Ftanh", false, Angle::kNone, false, {NeedFtanh, NeedFexp, NeedFmul, NeedFpot, NeedFdiv, NeedFadd}},
    {kFloatDegToRad, "", false, Angle::kAlways, true, {NeedFmul, NeedFadd}},
    {kFloatRadToDeg, "", false, Angle::kAlways, true, {NeedFmul, NeedFadd}},
    {kFloatInt, "_Fint", false, Angle::kNone, true, {NeedFint}},
    {kFloatFract, "_Ffrac", false, Angle::kNone, true, {NeedFfrac, NeedFint, NeedFadd}},
};

const MemberRow* FindMemberRow(int member) {
  for (const MemberRow& row : kMembers)
    if (row.member == member) return &row;
  return nullptr;
}

// pi/180 and 180/pi as the floats nearest them.
constexpr const char* kDegToRad = "0x3c8efa35";
constexpr const char* kRadToDeg = "0x42652ee1";

// r22..r25 times the constant.
void EmitAngleFactor(CompilerState& st, const char* factor) {
  const std::string f = factor;
  for (int i = 0; i < 4; ++i)
    st.out.Instr(Sep::kWide, "ldi", "r" + std::to_string(18 + i) + ",byte" + std::to_string(i + 1) + "(" + f + ")");
  EmitCall(st, "_Fmul");
}

void EmitDegToRadIfDegrees(CompilerState& st) {
  if (st.cfg.AnglesDegrees) EmitAngleFactor(st, kDegToRad);
}

void EmitRadToDegIfDegrees(CompilerState& st) {
  if (st.cfg.AnglesDegrees) EmitAngleFactor(st, kRadToDeg);
}

}  // namespace

bool FloatMemberHasRow(int member) { return FindMemberRow(member) != nullptr; }

std::uint8_t CompileFloatFunction(CompilerState& st, int member, std::uint8_t wanted) {
  const MemberRow* row = FindMemberRow(member);
  if (row == nullptr) {
    CompileError(st, "Not supported yet: " + UpperText(st.TokText()));
    return wanted;
  }
  const MemberRow& m = *row;
  FunctionResult result(st, wanted);
  ++st.src.TokenIndex;
  st.used.Set(NeedFloatCore);
  ExpectToken(st, "(");
  std::uint8_t argument = m.sumOnly ? ParseSum(st, kTypeFloat) : ParseExpression(st, kTypeFloat);
  if (m.twoArgs) {
    // the first argument waits on the stack while the second is compiled; both end in
    // the registers the routine takes them in (first A, second B)
    EmitPushOperand(st, argument);
    ExpectToken(st, ",");
    argument = ParseExpression(st, argument);
    if (!st.sticky.SkipOperandPush) EmitPopLeft(st, kTypeFloat);
    EmitCall(st, "_Fmov");
  }
  if (m.angle == Angle::kArgument) EmitDegToRadIfDegrees(st);
  if (member == kFloatDegToRad) {
    EmitAngleFactor(st, kDegToRad);
  } else if (member == kFloatRadToDeg) {
    EmitAngleFactor(st, kRadToDeg);
  } else {
    EmitCall(st, m.routine);
  }
  if (m.angle == Angle::kResult) EmitRadToDegIfDegrees(st);
  ExpectToken(st, ")");
  for (UsedFlag f : m.flags) UseFloatRoutine(st, f);
  return result.Yield(kTypeFloat);
}

std::uint8_t CompileSqrtFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  // The radicand in a type that holds both its own values and the wanted type's: the root
  // of a whole word for a byte target, a float root for a float target.
  std::uint8_t radicand = wanted;
  if (const std::uint8_t held = TypeHoldingExpression(st, result.Wanted()); held != kTypeNone) radicand = held;
  radicand = ParseExpression(st, radicand != kTypeNone ? radicand : std::uint8_t{kTypeAnyNumber});
  std::uint8_t type = radicand != 0 ? radicand : st.sticky.OperandType;
  if (st.sticky.OperandType == kTypeFloat) type = kTypeFloat;
  switch (type) {
    case kTypeByte:
      // the routine takes a 16-bit radicand: zh is whatever came before
      st.out.Instr(Sep::kWide, "clr", "zh");
      [[fallthrough]];
    case kTypeInteger:
    case kTypeWord:
      CallLibrary(st, "_Sqr16", NeedSqr16);
      break;
    case kTypeLong:
      CallLibrary(st, "_Sqr32", NeedSqr32);
      // the root takes 16 bits; the long goes on with a clear upper word
      st.out.Instr(Sep::kWide, "clr", "r18");
      st.out.Instr(Sep::kWide, "clr", "r19");
      break;
    case kTypeFloat:
      EmitCall(st, "_Fsqrt");
      for (UsedFlag f : {NeedFsqrt, NeedFadd, NeedFdiv}) UseFloatRoutine(st, f);
      break;
    default:
      break;
  }
  ExpectToken(st, ")");
  return result.Yield(type);
}

}  // namespace qbc
