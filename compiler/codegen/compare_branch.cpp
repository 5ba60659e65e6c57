#include "compiler/codegen/compare_branch.h"

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/conditions.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/float_use.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/codegen/emit_lines.h"

namespace qbc {

Relation RelationCode(std::string_view text) {
  if (text == "<") return kRelLess;
  if (text == "<=") return kRelLessEqual;
  if (text == "=") return kRelEqual;
  if (text == ">=") return kRelGreaterEqual;
  if (text == ">") return kRelGreater;
  if (text == "<>") return kRelNotEqual;
  return kRelNone;
}

Relation ParseComparison(CompilerState& st, std::uint8_t& wanted) {
  wanted = ParseSum(st, wanted);
  // A number's text on the left (Str's number made into its text here, or Hex's) lies
  // where the right side's text would be made: it is kept aside first.
  const bool keptAside = st.expr.TextComparison && st.expr.LeftNumberText;
  if (keptAside) {
    strlines::NumberAsText(st);
    strlines::KeepTextAside(st);
  }
  if (st.sticky.OperandType == kTypeString) {
    st.out.Instr(Sep::kWide, "mov", "xl,zl");
    if (st.dev.RamEnd > 256) st.out.Instr(Sep::kWide, "mov", "xh,zh");
  }
  const Relation code = RelationCode(st.TokText()) != kRelNone ? ParseComparisonOperator(st, wanted) : kRelNone;
  if (keptAside) strlines::GiveBackKeptText(st);
  return code;
}

Relation ParseComparisonOperator(CompilerState& st, std::uint8_t wanted) {
  if (wanted == 0) wanted = st.sticky.OperandType;
  const std::uint8_t leftType = st.sticky.OperandType;
  const Relation code = RelationCode(st.TokText());
  ++st.src.TokenIndex;
  // A string left operand stays in X (moved there by the caller). A part of a string made
  // by Left, Mid or Right (Z, r20) waits on the stack while the right operand is loaded.
  const bool large = st.dev.RamEnd > 256;
  const bool leftPart = leftType == kTypeSubstring;
  // Chr beside a text is a one-character text: its character waits on the stack too.
  const bool leftCharacter = leftType == kTypeChar && st.expr.TextComparison;
  if (leftPart) {
    st.out.Instr(Sep::kNarrow, "push", "zl");
    if (large) st.out.Instr(Sep::kNarrow, "push", "zh");
    st.out.Instr(Sep::kNarrow, "push", "r20");
  } else if (leftCharacter) {
    st.out.Instr(Sep::kNarrow, "push", "zl");
    wanted = kTypeString;
  } else if (leftType != kTypeString) {
    EmitPushOperand(st, wanted);
  }
  JoinDecimalNumber(st);
  // A number's text on the right is made into the free space below Y by routines that may
  // use X, which holds the left side's address.
  const bool rightNumberText = st.expr.TextComparison && st.expr.RightNumberText;
  if (rightNumberText) {
    st.out.Instr(Sep::kNarrow, "push", "xl");
    if (large) st.out.Instr(Sep::kNarrow, "push", "xh");
  }
  wanted = ParseSum(st, wanted);
  if (rightNumberText) {
    strlines::NumberAsText(st);
    if (large) st.out.Instr(Sep::kNarrow, "pop", "xh");
    st.out.Instr(Sep::kNarrow, "pop", "xl");
  }
  // The compare routines read up to a terminator: a part of a string is compared as a
  // bounded copy of it (its text runs on to the end of the whole string), a character as
  // a text of its own.
  const bool rightPart = st.sticky.OperandType == kTypeSubstring;
  const bool rightCharacter = st.sticky.OperandType == kTypeChar && st.expr.TextComparison;
  // (a number's text made below Y is taken there before the left side's copy is made)
  const bool rightMade = rightNumberText && (leftPart || leftCharacter);
  if (rightMade) {
    st.out.Instr(Sep::kWide, "ldi", "r20,0xff");
    strlines::CopySubstringToScratch(st, "r21");
  } else if (rightPart) {
    strlines::CopySubstringToScratch(st, "r21");
  } else if (rightCharacter) {
    strlines::CharacterToScratch(st, "zl", false, "r21");
    st.sticky.OperandType = kTypeString;
  }
  if (leftCharacter) {
    st.out.Instr(Sep::kNarrow, "pop", "r24");
    strlines::CharacterToScratch(st, "r24", true, "r22");
  }
  if (leftPart) {
    st.out.Instr(Sep::kWide, "mov", "xl,zl");
    if (large) st.out.Instr(Sep::kWide, "mov", "xh,zh");
    st.out.Instr(Sep::kNarrow, "pop", "r20");
    if (large) st.out.Instr(Sep::kNarrow, "pop", "zh");
    st.out.Instr(Sep::kNarrow, "pop", "zl");
    strlines::CopySubstringToScratch(st, "r22");
    // X = the left operand's copy, Z = the right operand.
    st.out.Instr(Sep::kWide, "mov", "r24,xl");
    st.out.Instr(Sep::kWide, "mov", "xl,zl");
    st.out.Instr(Sep::kWide, "mov", "zl,r24");
    if (large) {
      st.out.Instr(Sep::kWide, "mov", "r24,xh");
      st.out.Instr(Sep::kWide, "mov", "xh,zh");
      st.out.Instr(Sep::kWide, "mov", "zh,r24");
    }
  }
  EmitCompareOperator(st, wanted);
  const bool leftScratch = leftPart || leftCharacter;
  const bool rightScratch = rightPart || rightCharacter || rightMade;
  if (leftScratch && rightScratch)
    strlines::ReleaseScratch(st, {"r21", "r22"});
  else if (leftScratch)
    strlines::ReleaseScratch(st, {"r22"});
  else if (rightScratch)
    strlines::ReleaseScratch(st, {"r21"});
  // The branch is chosen by the type that was compared: the wanted type the right operand
  // was converted to, or the string kind of the right operand.
  const std::uint8_t compared = wanted;
  if (compared != kTypeString && compared != kTypeFlashString && st.sticky.OperandType != kTypeFlashString)
    st.sticky.OperandType = compared;
  return code;
}

void EmitCaseCompare(CompilerState& st, std::uint8_t wanted) {
  const std::uint8_t type = wanted != 0 ? wanted : st.sticky.OperandType;
  if (EmitLeftWithWork(st, type, "cp", "cpc")) return;
  switch (type) {
    case kTypeString:
      EmitCall(st, "_StrCmp");
      st.used.Set(NeedStrCmp);
      break;
    case kTypeFlashString:
      EmitCall(st, "_StCCp");
      st.used.Set(NeedStrConstCmp);
      break;
    default:
      break;
  }
}

namespace {

// The branch taken when the relation holds (`whenTrue`) or fails, for the relations that
// one branch decides after a compare of left with right.
const char* SingleBranch(Relation relation, bool isSigned, bool whenTrue) {
  switch (relation) {
    case kRelLess:
      return whenTrue ? (isSigned ? "brlt" : "brlo") : (isSigned ? "brge" : "brsh");
    case kRelEqual:
      return whenTrue ? "breq" : "brne";
    case kRelGreaterEqual:
      return whenTrue ? (isSigned ? "brge" : "brsh") : (isSigned ? "brlt" : "brlo");
    case kRelNotEqual:
      return whenTrue ? "brne" : "breq";
    default:
      return "";
  }
}

// Float relations test _Fcmp0's answer in r24 (right operand compared with left: 0xff when
// right < left, 0x00 equal, 0x01 right > left): the test line and the branch taken when the
// relation holds / fails.
struct FloatTest {
  const char* test;
  const char* operands;
  const char* branchTrue;
  const char* branchFalse;
};

FloatTest FloatRelation(Relation relation) {
  switch (relation) {
    case kRelLess:  // left < right: r24 = 1
      return {"cpi", "r24,0x01", "breq", "brne"};
    case kRelLessEqual:  // left <= right: r24 = 0 or 1
      return {"and", "r24,r24", "brge", "brlt"};
    case kRelEqual:
      return {"and", "r24,r24", "breq", "brne"};
    case kRelGreaterEqual:  // left >= right: r24 = 0 or 0xff
      return {"cpi", "r24,0x01", "brne", "breq"};
    case kRelGreater:  // left > right: r24 = 0xff
      return {"and", "r24,r24", "brlt", "brge"};
    default:  // <>
      return {"and", "r24,r24", "brne", "breq"};
  }
}

}  // namespace

void EmitCompareBranch(CompilerState& st, std::string_view connective, Relation relation,
                       const std::string& label, std::uint8_t compared) {
  const std::uint8_t type = compared != 0 ? compared : st.sticky.OperandType;
  // The "rjmp" after the branch goes to the label: skip it when the jump must not be taken.
  const bool jumpWhenTrue = connective == "or";
  const bool isSigned = type == kTypeInteger || type == kTypeLong;

  if (relation != kRelNone) {
    if (type == kTypeFloat) {
      EmitCall(st, "_Fcmp0");
      UseFloatRoutine(st, NeedFcmp0);
      const FloatTest f = FloatRelation(relation);
      st.out.Instr(Sep::kWide, f.test, f.operands);
      st.out.Instr(Sep::kNarrow, jumpWhenTrue ? f.branchFalse : f.branchTrue, "PC+0x02");
    } else if (relation == kRelLessEqual || relation == kRelGreater) {
      // "<=" and ">" by two branches on the flags of left - right.
      const char* below = isSigned ? "brlt" : "brlo";
      const char* notBelow = isSigned ? "brge" : "brsh";
      // Equal skips both the second branch and the jump when equality makes the jump
      // wrong, or goes straight to the jump when it makes it right.
      const bool equalHolds = relation == kRelLessEqual;
      if (equalHolds != jumpWhenTrue) {
        st.out.Instr(Sep::kNarrow, "breq", "PC+0x03");
        st.out.Instr(Sep::kNarrow, below, "PC+0x02");
      } else {
        st.out.Instr(Sep::kNarrow, "breq", "PC+0x02");
        st.out.Instr(Sep::kNarrow, notBelow, "PC+0x02");
      }
    } else {
      st.out.Instr(Sep::kNarrow, SingleBranch(relation, isSigned, !jumpWhenTrue), "PC+0x02");
    }
  }
  st.out.Instr(Sep::kNarrow, "rjmp", label);
}

}  // namespace qbc
