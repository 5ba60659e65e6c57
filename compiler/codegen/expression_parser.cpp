#include "compiler/codegen/expression_parser.h"

#include <string>
#include <string_view>

#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/array_elements.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/flash_tables.h"
#include "compiler/codegen/float_use.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/power_of_two_division.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/codegen/proc_calls.h"
#include "compiler/codegen/string_pool.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

void Step(CompilerState& st) { ++st.src.TokenIndex; }

// Sets the used flag of the multiply or divide routine that the operator called.
void SetMulDivFlag(CompilerState& st, bool divide, std::uint8_t wanted) {
  std::uint8_t t = wanted;
  if (t == kTypeString || t == 0) t = st.sticky.OperandType;
  switch (t) {
    case kTypeBit:
    case kTypeByte:
      if (divide)
        st.used.Set(NeedDiv8u);
      else if (!st.dev.HardwareMultiplier)
        st.used.Set(NeedMul8u);
      break;
    case kTypeInteger:
      if (divide)
        st.used.Set(NeedDiv16s);
      else
        st.used.Set(st.dev.HardwareMultiplier ? NeedMul16u : NeedMul16s);
      break;
    case kTypeWord: st.used.Set(divide ? NeedDiv16u : NeedMul16u); break;
    case kTypeLong: st.used.Set(divide ? NeedDiv32 : NeedMul32); break;
    default: break;
  }
}

// An element of a global array or flash table; TokenIndex on the name (kind 7). Returns
// the type the expression goes on in: the caller's wanted type, or with none the
// element's.
std::uint8_t ParseArrayElement(CompilerState& st, int g, std::uint8_t callerWanted) {
  const GlobalVarRecord v = st.sym.GlobalVars[g];
  const std::string name = v.Name;
  st.expr.IndexOnStack = true;
  st.expr.CurrentVarType = v.VarType;
  const bool flash = v.Storage == kStorageFlash;
  Step(st);
  ExpectToken(st, "(");
  CheckConstantArrayIndex(st, v);
  std::uint8_t index = kTypeNone;
  if (flash) {
    // the index of a program-memory address: 16 bits, or 24 bits where RAMPZ is needed
    index = st.dev.NeedRampz ? kTypeLong : kTypeWord;
    st.expr.InParenExpr = true;
  } else {
    index = st.dev.RamEnd > 255 ? kTypeWord : kTypeByte;
  }
  ParseExpression(st, index);
  ExpectToken(st, ")");
  if (flash) {
    // A byte, integer or word index comes widened to zh only: its third byte is 0, not
    // what r18 last held (the element's page would be wrong).
    const std::uint8_t indexType = st.sticky.OperandType;
    if (st.dev.NeedRampz && (indexType == kTypeByte || indexType == kTypeInteger || indexType == kTypeWord))
      st.out.Instr(Sep::kWide, "clr", "r18");
    st.sticky.OperandType = v.VarType;
    EmitTableRead(st, name, callerWanted);
    return callerWanted;
  }
  EmitPushArrayIndex(st);
  st.sticky.OperandType = v.VarType;
  const std::uint8_t wanted = callerWanted == 0 ? v.VarType : callerWanted;
  if (v.VarType == kTypeString) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + Dec(v.ElementSize));
    if (st.dev.RamEnd > 255) st.out.Instr(Sep::kWide, "clr", "zh");
    st.out.Instr(Sep::kWide, "pop", "r24");
    if (st.dev.RamEnd > 255) st.out.Instr(Sep::kWide, "pop", "r25");
    if (st.dev.RamEnd > 255) {
      CallLibrary(st, "Mp16u", NeedMul16u);
    } else {
      CallLibrary(st, "Mpy8u", NeedMul8u);
    }
    EmitArrayElementAddress(st, name);
  } else {
    EmitLoadArrayElement(st, name, wanted);
  }
  // an operand that was wanted in no particular type continues in the element's type
  return wanted;
}

}  // namespace

bool IsLogicalOperator(CompilerState& st) {
  const std::string& t = st.TokText();
  return t == "^" || t == "|" || t == "and" || t == "&" || t == "or" || t == "xor";
}

bool IsRelationalOperator(CompilerState& st) {
  const std::string& t = st.TokText();
  return !t.empty() && std::string_view("<><=>=").find(t) != std::string_view::npos;
}

namespace {

// Compiles a right operand through `parse` (which takes and returns the wanted type). When
// the left operand waits in r24:r25 (`leftHeld`) and the operand is a float variable to be
// converted to an integer, the conversion would overwrite it: it is kept on the stack
// meanwhile.
template <class Parse>
std::uint8_t RightOperand(CompilerState& st, std::uint8_t wanted, bool leftHeld, Parse parse) {
  const std::uint8_t type = wanted != 0 ? wanted : st.sticky.OperandType;
  const bool keep = leftHeld && FloatVariableNext(st, type);
  if (keep) {
    st.out.Instr(Sep::kNarrow, "push", "r24");
    st.out.Instr(Sep::kNarrow, "push", "r25");
  }
  wanted = parse(wanted);
  if (keep) {
    st.out.Instr(Sep::kWide, "pop", "r25");
    st.out.Instr(Sep::kWide, "pop", "r24");
  }
  return wanted;
}

// A binary operator at TokenIndex: its right operand through `parse`, the rest of the
// operand's term through `rest`, then the operator's lines through `emit`; the left
// operand waits where SkipOperandPush says.
template <class Parse, class Rest, class Emit>
std::uint8_t BinaryOperation(CompilerState& st, std::uint8_t wanted, Parse parse, Rest rest, Emit emit) {
  const bool kept = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  Step(st);
  wanted = RightOperand(st, wanted, kept, parse);
  rest(wanted);
  st.sticky.SkipOperandPush = kept;
  emit(wanted);
  return wanted;
}

// How a level is worked when not simply in the wanted type (WorkOf): an expression wanted
// in no type and made of several operands is worked in the one type that holds them all,
// each operand loaded, pushed and popped in it (the first one's type would cut the others,
// and a narrow first operand pushed for a wider right one would be popped with a byte too
// many); an integer wanted of operands among which is a Float is worked as a Float, and
// one whose result's low bytes depend on operands wider than it (a division) in the type
// that holds them. An expression that is no number where one is asked is refused once,
// here, and passed over.
class WorkedIn {
 public:
  WorkedIn(CompilerState& st, std::uint8_t wanted, ExpressionReach reach)
      : st_(st), wanted_(wanted == kTypeAnyNumber ? std::uint8_t{kTypeNone} : wanted), work_(WorkOf(st, wanted, reach)) {}

  // True when the expression was refused: reported at its start and passed over; it goes
  // on as the wanted type (a byte when none).
  bool Refused() const {
    if (work_.refusal == nullptr) return false;
    ReportInPlace(st_, work_.refusal);
    if (work_.end > st_.src.TokenIndex) st_.src.TokenIndex = static_cast<std::int16_t>(work_.end);
    st_.sticky.OperandType = wanted_ != kTypeNone ? wanted_ : std::uint8_t{kTypeByte};
    return true;
  }
  std::uint8_t RefusedType() const { return st_.sticky.OperandType; }

  // The type the level's operands are wanted in.
  std::uint8_t Type() const { return work_.type != kTypeNone ? work_.type : wanted_; }

  // The end of the level, `wanted` being what its operands returned: with no type wanted
  // the value goes on in the common type (as a single operand's loader leaves its own); a
  // Float worked for an integer is converted into it, in the working registers; a wider
  // integer worked for an integer leaves its low bytes where the wanted type's lie, a
  // narrower one (never negative) is widened into the wanted type's bytes.
  std::uint8_t End(std::uint8_t wanted) const {
    if (work_.type == kTypeNone) return wanted;
    st_.sticky.OperandType = work_.type;
    if (wanted_ == kTypeNone) return work_.type;
    if (work_.type == kTypeFloat) {
      const bool skip = st_.sticky.SkipOperandPush;
      st_.sticky.SkipOperandPush = false;
      EmitConvertFromFloat(st_, wanted_);
      st_.sticky.SkipOperandPush = skip;
    } else {
      EmitWidenInteger(st_, kWorkRegisters, work_.type, wanted_);
      st_.sticky.OperandType = wanted_;
    }
    return wanted_;
  }

 private:
  CompilerState& st_;
  std::uint8_t wanted_;
  ExpressionWork work_;
};

}  // namespace

std::uint8_t ParseExpression(CompilerState& st, std::uint8_t wanted) {
  if (st.TokText() == ")") CompileError(st, "Exspression empty1");
  const WorkedIn worked(st, wanted, st.expr.ExpressionTermOnly ? ExpressionReach::kAnd : ExpressionReach::kAll);
  if (worked.Refused()) return worked.RefusedType();
  wanted = ParseAndLevel(st, worked.Type());
  while (IsLogicalOperator(st) && !st.expr.ExpressionTermOnly) {
    const std::string op = st.TokText();
    if (op == "and" || op == "&") break;  // (cannot happen: the and level took them)
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st, wanted);
    st.sticky.LogicOperatorSeen = true;
    if (op == "or" || op == "|")
      wanted = ParseOrOperation(st, wanted);
    else
      wanted = ParseXorOperation(st, wanted);
  }
  return worked.End(wanted);
}

namespace {

// The right operand of "or" or "xor" (an and-level expression), then the operator's lines.
std::uint8_t ParseOrLevelOperation(CompilerState& st, std::uint8_t wanted,
                                   void (*emitOperator)(CompilerState&, std::uint8_t)) {
  return BinaryOperation(
      st, wanted, [&](std::uint8_t w) { return ParseAndLevel(st, w); }, [](std::uint8_t) {},
      [&](std::uint8_t w) { emitOperator(st, w); });
}

}  // namespace

std::uint8_t ParseOrOperation(CompilerState& st, std::uint8_t wanted) {
  return ParseOrLevelOperation(st, wanted, EmitOrOperator);
}

std::uint8_t ParseXorOperation(CompilerState& st, std::uint8_t wanted) {
  return ParseOrLevelOperation(st, wanted, EmitXorOperator);
}

std::uint8_t ParseAndLevel(CompilerState& st, std::uint8_t wanted) {
  wanted = ParseNotLevel(st, wanted);
  while (st.TokText() == "and" || st.TokText() == "&") {
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st, wanted);
    st.sticky.LogicOperatorSeen = true;
    wanted = BinaryOperation(
        st, wanted, [&](std::uint8_t w) { return ParseNotLevel(st, w); }, [](std::uint8_t) {},
        [&](std::uint8_t w) { EmitAndOperator(st, w); });
  }
  return wanted;
}

std::uint8_t ParseNotLevel(CompilerState& st, std::uint8_t wanted) {
  // A string constant "!" or "not" is a text, not the operator.
  if (st.Tok().Kind != kTokString && (st.TokText() == "not" || st.TokText() == "!")) {
    Step(st);
    wanted = ParseSum(st, wanted);
    EmitNegateWithBit(st, wanted);
    return wanted;
  }
  return ParseSum(st, wanted);
}

std::uint8_t ParseSum(CompilerState& st, std::uint8_t wanted) {
  const WorkedIn worked(st, wanted, ExpressionReach::kSum);
  if (worked.Refused()) return worked.RefusedType();
  wanted = worked.Type();
  if (st.Tok().Kind == kTokOperator) {
    if (st.TokText() == "+") {
      Step(st);
      wanted = ParseFactor(st, wanted);
    } else if (st.TokText() == "-") {
      wanted = ParseUnaryMinus(st, wanted);
    }
  } else {
    wanted = ParseFactor(st, wanted);
  }
  ParseTerm(st, wanted);
  while (st.TokText() == "+" || st.TokText() == "-") {
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st, wanted);
    if (st.TokText() == "+")
      wanted = ParseAddition(st, wanted);
    else
      wanted = ParseSubtraction(st, wanted);
    st.sticky.SkipOperandPush = false;
  }
  return worked.End(wanted);
}

namespace {

// The right operand of "+" or "-" (a factor and the rest of its term), then the operator.
std::uint8_t ParseSumOperation(CompilerState& st, std::uint8_t wanted,
                               void (*emitOperator)(CompilerState&, std::uint8_t)) {
  return BinaryOperation(
      st, wanted, [&](std::uint8_t w) { return ParseFactor(st, w); }, [&](std::uint8_t w) { ParseTerm(st, w); },
      [&](std::uint8_t w) { emitOperator(st, w); });
}

}  // namespace

std::uint8_t ParseAddition(CompilerState& st, std::uint8_t wanted) {
  return ParseSumOperation(st, wanted, EmitAddOperator);
}

std::uint8_t ParseSubtraction(CompilerState& st, std::uint8_t wanted) {
  return ParseSumOperation(st, wanted, EmitSubOperator);
}

std::uint8_t ParseUnaryMinus(CompilerState& st, std::uint8_t wanted) {
  Step(st);
  if (st.Tok().Kind == kTokNumber) {
    EmitLoadConstant(st, "-", wanted);
    return wanted;
  }
  st.sticky.SkipOperandPush = false;
  wanted = ParseFactor(st, wanted);
  EmitNegate(st, wanted);
  return wanted;
}

void ParseTerm(CompilerState& st, std::uint8_t wanted) {
  // (a string context works the term in its first factor's type)
  if (wanted == 0 || wanted == kTypeString) wanted = st.sticky.OperandType;
  while (st.TokText() == "*" || st.TokText() == "/" || st.TokText() == "mod") {
    EmitConvertFromFloat(st, wanted);
    if (const PowerOfTwo p = st.TokText() != "*" ? PowerOfTwoOperand(st, wanted) : PowerOfTwo{}; p.k != 0) {
      // an unsigned value divided by 2^k: shifts or a mask in place of the division
      const bool remainder = st.TokText() == "mod";
      st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + 1 + p.tokens);
      EmitPowerOfTwoDivision(st, wanted, p.k, remainder, st.sticky.SkipOperandPush);
      st.sticky.OperandType = wanted;
      st.sticky.SkipOperandPush = false;
      continue;
    }
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st, wanted);
    if (st.TokText() == "*") {
      ParseMultiplication(st, wanted);
    } else {
      const bool mod = st.TokText() == "mod";
      ParseDivision(st, wanted);
      if (mod) {
        // the remainder: of a byte in r22, of the wider types in the left registers; a bit
        // is worked out as a byte
        if (wanted == kTypeByte || wanted == kTypeBit)
          st.out.Instr(Sep::kWide, "mov", "zl,r22");
        else if (wanted >= kTypeInteger && wanted <= kTypeLong)
          EmitMoveLeftToCurrent(st, wanted);
      }
    }
    st.sticky.SkipOperandPush = false;
  }
}

void ParseMultiplication(CompilerState& st, std::uint8_t wanted) {
  BinaryOperation(
      st, wanted == 0 ? st.sticky.OperandType : wanted, [&](std::uint8_t w) { return ParseFactor(st, w); },
      [](std::uint8_t) {},
      [&](std::uint8_t w) {
        EmitMulOperator(st, w);
        if (w == kTypeFloat) {
          EmitCall(st, "_Fmul");
          UseFloatRoutine(st, NeedFmul);
        } else {
          SetMulDivFlag(st, false, w);
        }
      });
}

void ParseDivision(CompilerState& st, std::uint8_t wanted) {
  BinaryOperation(
      st, wanted == 0 ? st.sticky.OperandType : wanted, [&](std::uint8_t w) { return ParseFactor(st, w); },
      [](std::uint8_t) {},
      [&](std::uint8_t w) {
        EmitDivOperator(st, w);
        if (w == kTypeFloat) {
          EmitCall(st, "_Fmov");
          EmitCall(st, "_Fdiv");
          UseFloatRoutine(st, NeedFdiv);
          st.used.Set(NeedFmov);
        } else {
          SetMulDivFlag(st, true, w);
        }
      });
}

std::uint8_t ParseFactor(CompilerState& st, std::uint8_t wanted) {
  std::string text = st.TokText();
  std::uint8_t kind = st.Tok().Kind;
  // A string literal is always its own text, even when it spells a constant or an alias.
  if (int c = kind == kTokString ? 0 : FindConst(st, text); c != 0) {
    const ConstRecord& k = st.sym.Constants[c];
    text = k.Value;
    if (k.ConstType == kTokNumber || k.ConstType == kTokString) kind = k.ConstType;
  }
  if (int d = kind == kTokString ? 0 : FindDefAlias(st, text); d != 0) text = st.sym.Defs[d].Register;

  switch (kind) {
    case kTokOpenParen: {
      // A condition compiles its own "or" by branches; inside parentheses "or" and "xor"
      // are operators of the value, in every kind of condition.
      const bool termOnly = st.expr.ExpressionTermOnly;
      Step(st);
      ++st.expr.ParenDepth;
      st.expr.ExpressionTermOnly = false;
      wanted = ParseExpression(st, wanted);
      ExpectToken(st, ")");
      // A missing ")" at the line's end steps past it: every level of a deep nest would
      // step further, out of the token table.
      HoldOnLine(st);
      --st.expr.ParenDepth;
      st.expr.ExpressionTermOnly = termOnly;
      break;
    }
    case kTokName:
      wanted = EmitLoadOperand(st, wanted);
      break;
    case kTokKeyword:
      wanted = st.entries.dispatchKeyword(st, wanted);
      break;
    case kTokCallName: {
      if (int k = FindLocalVar(st, text); k != 0) {
        // a flash table whose address the procedure received
        Step(st);
        ExpectToken(st, "(");
        ParseSum(st, kTypeWord);
        ExpectToken(st, ")");
        st.sticky.SkipOperandPush = true;
        EmitTableReadAtIndex(st, text, k, wanted);
      } else if (int g = FindGlobalVar(st, text); g != 0) {
        wanted = ParseArrayElement(st, g, wanted);
      } else {
        CompileFunctionCall(st, text, wanted);
      }
      break;
    }
    case kTokAmpersand: {
      Step(st);
      std::string word = st.TokText();
      if (!word.empty() && word[0] == 'h') {
        EmitLoadConstant(st, Dec(HexConstantValue(word)), wanted);
      } else if (!word.empty() && word[0] == 'b') {
        EmitLoadConstant(st, Dec(BinConstantValue(word)), wanted);
      } else {
        CompileError(st, "Wrong numeric constant identifier");
        break;
      }
      Step(st);
      break;
    }
    case kTokString: {
      // (a text where a number is wanted was refused by the level that holds it)
      st.sticky.OperandType = kTypeFlashString;
      const int n = AddStringConstant(st, text);
      EmitLoadFlashAddressZ(st, n);
      Step(st);
      break;
    }
    case kTokNumber:
      if (text.size() >= 2 && text[0] == '1' && text[1] == 'w') {
        wanted = st.entries.compileOneWire(st, wanted);
      } else {
        EmitLoadConstant(st, text, wanted);
        Step(st);
      }
      break;
    case kTokOperator:
      // a sign standing alone: it takes the number after it
      Step(st);
      EmitLoadConstant(st, text, wanted);
      break;
    default:
      CompileError(st, "Unknown error! (faktor)");
      // a missing operand at the end of the line: stay on "<EOL>" (the tokens after it
      // are left over from earlier lines)
      if (kind == kTokEol) --st.src.TokenIndex;
      break;
  }
  return wanted;
}

}  // namespace qbc
