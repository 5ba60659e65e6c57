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
void SetMulDivFlag(CompilerState& st, bool divide) {
  std::uint8_t t = st.sticky.WantedType;
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

// An element of a global array or flash table; TokenIndex on the name (kind 7).
void ParseArrayElement(CompilerState& st, int g) {
  const GlobalVarRecord v = st.sym.GlobalVars[g];
  const std::string name = v.Name;
  st.expr.IndexOnStack = true;
  st.expr.CurrentVarType = v.VarType;
  const std::uint8_t callerWanted = st.sticky.WantedType;
  const bool flash = v.Storage == kStorageFlash;
  Step(st);
  ExpectToken(st, "(");
  CheckConstantArrayIndex(st, v);
  if (flash) {
    // the index of a program-memory address: 16 bits, or 24 bits where RAMPZ is needed
    st.sticky.WantedType = st.dev.NeedRampz ? kTypeLong : kTypeWord;
    st.expr.InParenExpr = true;
  } else {
    st.sticky.WantedType = st.dev.RamEnd > 255 ? kTypeWord : kTypeByte;
  }
  ParseExpression(st);
  ExpectToken(st, ")");
  if (flash) {
    // A byte, integer or word index comes widened to zh only: its third byte is 0, not
    // what r18 last held (the element's page would be wrong).
    const std::uint8_t index = st.sticky.OperandType;
    if (st.dev.NeedRampz && (index == kTypeByte || index == kTypeInteger || index == kTypeWord))
      st.out.Instr(Sep::kWide, "clr", "r18");
    st.sticky.OperandType = v.VarType;
    st.sticky.WantedType = callerWanted;
    EmitTableRead(st, name);
    return;
  }
  st.sticky.WantedType = callerWanted;
  if (RefuseTextForNumber(st, v.VarType)) return;
  EmitPushArrayIndex(st);
  st.sticky.OperandType = v.VarType;
  st.sticky.WantedType = callerWanted == 0 ? v.VarType : callerWanted;
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
    EmitLoadArrayElement(st, name);
  }
  // an operand that was wanted in no particular type continues in the element's type
  if (callerWanted != 0) st.sticky.WantedType = callerWanted;
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

// Compiles a right operand through `parse`. When the left operand waits in r24:r25
// (`leftHeld`) and the operand is a float variable to be converted to an integer, the
// conversion would overwrite it: it is kept on the stack meanwhile.
template <class Parse>
void RightOperand(CompilerState& st, bool leftHeld, Parse parse) {
  const std::uint8_t wanted = st.sticky.WantedType != 0 ? st.sticky.WantedType : st.sticky.OperandType;
  const bool keep = leftHeld && FloatVariableNext(st, wanted);
  if (keep) {
    st.out.Instr(Sep::kNarrow, "push", "r24");
    st.out.Instr(Sep::kNarrow, "push", "r25");
  }
  parse();
  if (keep) {
    st.out.Instr(Sep::kWide, "pop", "r25");
    st.out.Instr(Sep::kWide, "pop", "r24");
  }
}

}  // namespace

namespace {

// An expression wanted in no type and made of several operands is worked in the one type
// that holds them all: each operand is loaded, pushed and popped in it (the first one's
// type would cut the others, and a narrow first operand pushed for a wider right one
// would be popped with a byte too many). The type then stays the wanted and the
// operand's type, as a single operand's loader leaves its own.
class CommonType {
 public:
  CommonType(CompilerState& st, ExpressionReach reach)
      : st_(st), type_(st.sticky.WantedType == kTypeNone ? CommonExpressionType(st, reach) : std::uint8_t{kTypeNone}) {
    if (type_ != kTypeNone) st_.sticky.WantedType = type_;
  }
  ~CommonType() {
    if (type_ == kTypeNone) return;
    st_.sticky.WantedType = type_;
    st_.sticky.OperandType = type_;
  }
  CommonType(const CommonType&) = delete;
  CommonType& operator=(const CommonType&) = delete;

 private:
  CompilerState& st_;
  std::uint8_t type_;
};

}  // namespace

void ParseExpression(CompilerState& st) {
  if (st.TokText() == ")") CompileError(st, "Exspression empty1");
  const CommonType common(st, st.expr.ExpressionTermOnly ? ExpressionReach::kAnd : ExpressionReach::kAll);
  ParseAndLevel(st);
  while (IsLogicalOperator(st) && !st.expr.ExpressionTermOnly) {
    const std::string op = st.TokText();
    if (op == "and" || op == "&") break;  // (cannot happen: the and level took them)
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st);
    st.sticky.LogicOperatorSeen = true;
    if (op == "or" || op == "|")
      ParseOrOperation(st);
    else
      ParseXorOperation(st);
  }
}

namespace {

// The right operand of "or" or "xor" (an and-level expression), then the operator's lines.
void ParseOrLevelOperation(CompilerState& st, void (*emitOperator)(CompilerState&)) {
  const bool kept = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  Step(st);
  RightOperand(st, kept, [&] { ParseAndLevel(st); });
  st.sticky.SkipOperandPush = kept;
  emitOperator(st);
}

}  // namespace

void ParseOrOperation(CompilerState& st) { ParseOrLevelOperation(st, EmitOrOperator); }

void ParseXorOperation(CompilerState& st) { ParseOrLevelOperation(st, EmitXorOperator); }

void ParseAndLevel(CompilerState& st) {
  ParseNotLevel(st);
  while (st.TokText() == "and" || st.TokText() == "&") {
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st);
    const bool kept = st.sticky.SkipOperandPush;
    st.sticky.LogicOperatorSeen = true;
    st.sticky.SkipOperandPush = false;
    Step(st);
    RightOperand(st, kept, [&] { ParseNotLevel(st); });
    st.sticky.SkipOperandPush = kept;
    EmitAndOperator(st);
  }
}

void ParseNotLevel(CompilerState& st) {
  // A string constant "!" or "not" is a text, not the operator.
  if (st.Tok().Kind != kTokString && (st.TokText() == "not" || st.TokText() == "!")) {
    Step(st);
    ParseSum(st);
    EmitNegateWithBit(st);
    return;
  }
  ParseSum(st);
}

void ParseSum(CompilerState& st) {
  const CommonType common(st, ExpressionReach::kSum);
  if (st.Tok().Kind == kTokOperator) {
    if (st.TokText() == "+") {
      Step(st);
      ParseFactor(st);
    } else if (st.TokText() == "-") {
      ParseUnaryMinus(st);
    }
  } else {
    ParseFactor(st);
  }
  ParseTerm(st);
  while (st.TokText() == "+" || st.TokText() == "-") {
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st);
    if (st.TokText() == "+")
      ParseAddition(st);
    else
      ParseSubtraction(st);
    st.sticky.SkipOperandPush = false;
  }
}

void ParseAddition(CompilerState& st) {
  const bool kept = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  Step(st);
  RightOperand(st, kept, [&] { ParseFactor(st); });
  ParseTerm(st);
  st.sticky.SkipOperandPush = kept;
  EmitAddOperator(st);
}

void ParseSubtraction(CompilerState& st) {
  const bool kept = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  Step(st);
  RightOperand(st, kept, [&] { ParseFactor(st); });
  ParseTerm(st);
  st.sticky.SkipOperandPush = kept;
  EmitSubOperator(st);
}

void ParseUnaryMinus(CompilerState& st) {
  Step(st);
  if (st.Tok().Kind == kTokNumber) {
    EmitLoadConstant(st, "-");
    return;
  }
  st.sticky.SkipOperandPush = false;
  ParseFactor(st);
  EmitNegate(st);
}

void ParseTerm(CompilerState& st) {
  const std::uint8_t kept = st.sticky.WantedType;
  if (st.sticky.WantedType == 0 || st.sticky.WantedType == kTypeString) st.sticky.WantedType = st.sticky.OperandType;
  while (st.TokText() == "*" || st.TokText() == "/" || st.TokText() == "mod") {
    EmitConvertFromFloat(st);
    if (!st.sticky.SkipOperandPush) EmitPushOperand(st);
    if (st.TokText() == "*") {
      ParseMultiplication(st);
    } else {
      const bool mod = st.TokText() == "mod";
      ParseDivision(st);
      if (mod) {
        // the remainder: of a byte in r22, of the wider types in the left registers; a bit
        // is worked out as a byte
        const std::uint8_t t = st.sticky.WantedType;
        if (t == kTypeByte || t == kTypeBit)
          st.out.Instr(Sep::kWide, "mov", "zl,r22");
        else if (t >= kTypeInteger && t <= kTypeLong)
          EmitMoveLeftToCurrent(st, t);
      }
    }
    st.sticky.SkipOperandPush = false;
  }
  st.sticky.WantedType = kept;
}

void ParseMultiplication(CompilerState& st) {
  const std::uint8_t kept = st.sticky.WantedType;
  if (st.sticky.WantedType == 0) st.sticky.WantedType = st.sticky.OperandType;
  const bool skip = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  Step(st);
  RightOperand(st, skip, [&] { ParseFactor(st); });
  st.sticky.SkipOperandPush = skip;
  EmitMulOperator(st);
  if (st.sticky.WantedType == kTypeFloat) {
    EmitCall(st, "_Fmul");
    UseFloatRoutine(st, NeedFmul);
  } else {
    SetMulDivFlag(st, false);
  }
  st.sticky.WantedType = kept;
}

void ParseDivision(CompilerState& st) {
  const std::uint8_t kept = st.sticky.WantedType;
  if (st.sticky.WantedType == 0) st.sticky.WantedType = st.sticky.OperandType;
  const bool skip = st.sticky.SkipOperandPush;
  st.sticky.SkipOperandPush = false;
  Step(st);
  RightOperand(st, skip, [&] { ParseFactor(st); });
  st.sticky.SkipOperandPush = skip;
  EmitDivOperator(st);
  if (st.sticky.WantedType == kTypeFloat) {
    EmitCall(st, "_Fmov");
    EmitCall(st, "_Fdiv");
    UseFloatRoutine(st, NeedFdiv);
    st.used.Set(NeedFmov);
  } else {
    SetMulDivFlag(st, true);
  }
  st.sticky.WantedType = kept;
}

void ParseFactor(CompilerState& st) {
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
      ParseExpression(st);
      ExpectToken(st, ")");
      // A missing ")" at the line's end steps past it: every level of a deep nest would
      // step further, out of the token table.
      HoldOnLine(st);
      --st.expr.ParenDepth;
      st.expr.ExpressionTermOnly = termOnly;
      break;
    }
    case kTokName:
      EmitLoadOperand(st);
      break;
    case kTokKeyword:
      st.entries.dispatchKeyword(st);
      break;
    case kTokCallName: {
      if (int k = FindLocalVar(st, text); k != 0) {
        // a flash table whose address the procedure received
        const std::uint8_t kept = st.sticky.WantedType;
        Step(st);
        ExpectToken(st, "(");
        st.sticky.WantedType = kTypeWord;
        ParseSum(st);
        ExpectToken(st, ")");
        st.sticky.SkipOperandPush = true;
        st.sticky.WantedType = kept;
        EmitTableReadAtIndex(st, text, k);
      } else if (int g = FindGlobalVar(st, text); g != 0) {
        ParseArrayElement(st, g);
      } else {
        CompileFunctionCall(st, text);
      }
      break;
    }
    case kTokAmpersand: {
      Step(st);
      std::string word = st.TokText();
      if (!word.empty() && word[0] == 'h') {
        EmitLoadConstant(st, Dec(HexConstantValue(word)));
      } else if (!word.empty() && word[0] == 'b') {
        EmitLoadConstant(st, Dec(BinConstantValue(word)));
      } else {
        CompileError(st, "Wrong numeric constant identifier");
        break;
      }
      Step(st);
      break;
    }
    case kTokString: {
      // a text where a number is worked out would go on as its flash address
      if (RefuseTextForNumber(st, kTypeFlashString)) {
        Step(st);
        break;
      }
      st.sticky.OperandType = kTypeFlashString;
      const int n = AddStringConstant(st, text);
      EmitLoadFlashAddressZ(st, n);
      Step(st);
      break;
    }
    case kTokNumber:
      if (text.size() >= 2 && text[0] == '1' && text[1] == 'w') {
        st.entries.compileOneWire(st);
      } else {
        EmitLoadConstant(st, text);
        Step(st);
      }
      break;
    case kTokOperator:
      // a sign standing alone: it takes the number after it
      Step(st);
      EmitLoadConstant(st, text);
      break;
    default:
      CompileError(st, "Unknown error! (faktor)");
      // a missing operand at the end of the line: stay on "<EOL>" (the tokens after it
      // are left over from earlier lines)
      if (kind == kTokEol) --st.src.TokenIndex;
      break;
  }
}

}  // namespace qbc
