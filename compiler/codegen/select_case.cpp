// Select Case selector / Case value[, value] [value To value] [relation value] / Case Else
// / End Select.
//
// A numeric selector is computed once and held in the compare registers (r24, r25, r16,
// r17) from the Select line through the Case compares; around the compile of each Case
// value it is pushed on the hardware stack and popped again, so a Case value that is an
// expression (Case a + 1), which uses r24.. itself, never meets a clobbered selector. A
// Case body runs only after a match and then leaves the statement, so it may use them.
// A string selector's address is held the same way in r16:r17 (the string compare
// routines leave them alone) and copied into X for every compare.
// Nothing is kept in a fixed data cell: a Select in a Function that an interrupt handler
// also calls, or a recursive one, keeps its own selector.
#include <string>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_branch.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/open_blocks.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {

struct Selector {
  std::uint8_t Type = 0;     // type the Case values are compared in
  bool StringAddress = false;
};

void LoadSelector(CompilerState& st) {
  st.out.Instr(Sep::kWide, "mov", "xl,r16");
  st.out.Instr(Sep::kWide, "mov", "xh,r17");
}

// The registers that hold the selector, low byte first.
std::vector<std::string> SelectorRegisters(const Selector& s) {
  if (s.StringAddress) return {"r16", "r17"};
  if (s.Type == kTypeByte || s.Type == kTypeBit) return {"r24"};
  if (s.Type == kTypeLong) return {"r24", "r25", "r16", "r17"};
  return {"r24", "r25"};
}

// The value at the current token up to the "," "to" or ":" after it, passed over.
void PassOverValue(CompilerState& st) {
  int depth = 0;
  for (;;) {
    const TokenRecord& t = st.Tok();
    if (t.Kind == kTokEol || IsWord(t, ":")) return;
    if (depth == 0 && (IsWord(t, ",") || IsWord(t, "to"))) return;
    if (t.Kind == kTokOpenParen) ++depth;
    if (t.Kind == kTokCloseParen) --depth;
    ++st.src.TokenIndex;
  }
}

// One Case value: compiled with the selector kept, the compare written. The value is
// compared in a type that holds it and the selector (a Case gives what the If of the same
// test gives): the selector's when the value fits it, else the selector is widened in its
// registers. Returns the type compared, for the branch.
std::uint8_t CompileCaseValue(CompilerState& st, const Selector& s) {
  // A one-character literal is its character code, unless strings are compared.
  TokenRecord& t = st.Tok();
  if (!s.StringAddress && t.Kind == kTokString && t.Text.size() == 1) {
    t.Text = std::to_string(static_cast<unsigned char>(t.Text[0]));
    t.Kind = kTokNumber;
  }
  const ValueKind kind = ExpressionKind(st);
  if ((s.StringAddress && kind == ValueKind::kNumber) || (!s.StringAddress && kind == ValueKind::kText)) {
    // a text against a number: one would be taken for the other's address
    ReportInPlace(st, "Unsupported operation!");
    PassOverValue(st);
    return s.StringAddress ? std::uint8_t{kTypeString} : s.Type;
  }
  const std::uint8_t compared = s.StringAddress ? std::uint8_t{kTypeNone} : CaseValueType(st, s.Type);
  // The value goes into the working registers. The tokenizer sets SkipOperandPush for a
  // line with one operator, and a Case line is not dispatched (which would clear it), so
  // "Case 0 : n = n + 1" would load the value into r24.
  st.sticky.SkipOperandPush = false;
  st.expr.IndexOnStack = false;  // no element store follows (see the condition chain)
  // A string literal alone only loads Z with its flash address: nothing to keep around it.
  const std::string& next = st.TokText(1);
  const bool loneLiteral = s.StringAddress && t.Kind == kTokString &&
                           (next == "," || next == "to" || next == ":" || next == "<EOL>");
  const std::vector<std::string> held = loneLiteral ? std::vector<std::string>{} : SelectorRegisters(s);
  for (const std::string& r : held) st.out.Instr(Sep::kNarrow, "push", r);
  ParseSum(st, compared);
  // Str beside a text selector is the number's text
  if (s.StringAddress) strlines::NumberAsText(st);
  for (auto r = held.rbegin(); r != held.rend(); ++r) st.out.Instr(Sep::kWide, "pop", *r);
  // A part of a string (Left, Mid, Right) is compared as a bounded copy: the compare
  // routine reads up to a terminator. Chr is a one-character text.
  const bool part = s.StringAddress && st.sticky.OperandType == kTypeSubstring;
  const bool character = s.StringAddress && st.sticky.OperandType == kTypeChar;
  if (part) strlines::CopySubstringToScratch(st, "r21");
  if (character) strlines::CharacterToScratch(st, "zl", false, "r21");
  if (s.StringAddress) LoadSelector(st);
  std::uint8_t branchType = compared;
  if (s.StringAddress) {
    branchType = st.sticky.OperandType == kTypeFlashString ? kTypeFlashString : kTypeString;
  } else {
    // (a bit selector is the byte 0 or 1 in r24)
    EmitWidenInteger(st, kLeftRegisters, s.Type == kTypeBit ? std::uint8_t{kTypeByte} : s.Type, compared);
  }
  EmitCaseCompare(st, branchType);
  if (part || character) strlines::ReleaseScratch(st, {"r21"});
  return branchType;
}

// True when a "," outside parentheses follows on this statement.
bool CommaFollows(CompilerState& st) {
  int depth = 0;
  for (int i = st.src.TokenIndex; i < st.src.TokenCount; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    if (IsWord(t, "(")) ++depth;
    else if (IsWord(t, ")")) --depth;
    else if (depth <= 0 && (t.Text == "<EOL>" || IsWord(t, ":"))) return false;
    else if (depth <= 0 && IsWord(t, ",")) return true;
  }
  return false;
}

// The type that holds the values of every Case of the Select whose selector starts at
// TokenIndex (0 when none is known), read ahead up to its End Select.
std::uint8_t CaseValuesAhead(CompilerState& st) {
  std::uint8_t cases = kTypeNone;
  int depth = 0;  // the Selects opened inside this one
  VisitStatementsAhead(st, [&](CompilerState& s) {
    const TokenRecord& t = s.Tok();
    if (IsWord(t, "select")) {
      ++depth;
    } else if (IsWord(t, "end") && IsWord(s.Tok(1), "select")) {
      if (depth == 0) return false;
      --depth;
    } else if (depth == 0 && IsWord(t, "case") && !IsWord(s.Tok(1), "else")) {
      ++s.src.TokenIndex;
      cases = CaseValuesType(s, cases);
    }
    return true;
  });
  return cases;
}

}  // namespace

void CompileSelectStatement(CompilerState& st) {
  const OpenBlock open(st, "SELECT");
  ++st.src.TokenIndex;
  ExpectToken(st, "case");
  // (in the type its Case values need when they pass its own, else as it comes)
  const std::uint8_t worked = SelectorType(st, CaseValuesAhead(st));
  ParseSum(st, worked);
  Selector sel;
  sel.Type = worked != kTypeNone ? worked : st.sticky.OperandType;
  switch (sel.Type) {
    case kTypeBit:
      // every bit operand leaves its value in T; the rest of zl is not the bit's
      st.out.Instr(Sep::kWide, "clr", "r24");
      st.out.Instr(Sep::kWide, "bld", "r24,0");
      break;
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      EmitMoveCurrentToLeft(st, sel.Type);
      break;
    case kTypeString:
      if (st.sticky.StrOperandLength == 1) {
        // A one-character string is selected by its character.
        st.out.Instr(Sep::kWide, "ld", "r24,Z");
        sel.Type = kTypeByte;
      } else {
        st.out.Instr(Sep::kWide, "mov", "r16,zl");
        st.out.Instr(Sep::kWide, "mov", "r17,zh");
        sel.StringAddress = true;
      }
      break;
    default: {
      // Floats (and anything else) have no compare of the Case form.
      ReportInPlace(st, "Unsupported operation!");
      sel.Type = kTypeByte;
      break;
    }
  }
  CheckStatementEnd(st);
  const std::string endLabel = NewLabel(st);

  while (st.TokText() == "case") {
    ++st.src.TokenIndex;
    const std::string nextLabel = NewLabel(st);
    if (st.TokText() == "else") {
      ++st.src.TokenIndex;
      CheckStatementEnd(st);
      if (!(st.TokText() == "end" && st.TokText(1) == "select")) st.entries.compileBlock(st);
      EmitLabel(st, nextLabel);
      break;
    }
    if (const Relation code = RelationCode(st.TokText()); code != kRelNone) {
      ++st.src.TokenIndex;
      const std::uint8_t compared = CompileCaseValue(st, sel);
      EmitCompareBranch(st, "", code, nextLabel, compared);
      if (st.TokText() == "or" || st.TokText() == "and") {
        CompileError(st, "Not supported in Case! Use TO or If statement!");
        IsEndOfStatement(st);
      }
    } else {
      // Values and ranges separated by ",": a match of any enters the body; a value that
      // fails goes on to the next one, the last one past the Case.
      std::string bodyLabel;
      for (;;) {
        const bool last = !CommaFollows(st);
        const std::string failLabel = last ? nextLabel : NewLabel(st);
        const std::uint8_t compared = CompileCaseValue(st, sel);
        if (st.TokText() == "to") {
          EmitCompareBranch(st, "", kRelGreaterEqual, failLabel, compared);
          ++st.src.TokenIndex;
          const std::uint8_t comparedTo = CompileCaseValue(st, sel);
          EmitCompareBranch(st, "", kRelLessEqual, failLabel, comparedTo);
        } else {
          EmitCompareBranch(st, "", kRelEqual, failLabel, compared);
        }
        if (last) break;
        ExpectToken(st, ",");
        if (bodyLabel.empty()) bodyLabel = NewLabel(st);
        st.out.Instr(Sep::kNarrow, "rjmp", bodyLabel);
        EmitLabel(st, failLabel);
      }
      if (!bodyLabel.empty()) EmitLabel(st, bodyLabel);
    }
    CheckStatementEnd(st);
    if (!(st.TokText() == "end" && st.TokText(1) == "select")) st.entries.compileBlock(st);
    if (st.TokText() == "case") st.out.Instr(Sep::kNarrow, "rjmp", endLabel);
    EmitLabel(st, nextLabel);
  }
  ExpectToken(st, "end");
  ExpectToken(st, "select");
  EmitLabel(st, endLabel);
}

}  // namespace qbc
