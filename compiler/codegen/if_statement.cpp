// If ... Then ... [ElseIf ... Then ...] [Else ...] End If, and the single-line form whose
// statements follow Then on the same line.
#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/conditions.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/open_blocks.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {


namespace {

bool IsLineEnd(CompilerState& st) { return IsWord(st.Tok(), ":") || st.TokText() == "<EOL>"; }

// The condition up to and including "then".
void EmitIfCondition(CompilerState& st, const std::string& elseLabel, std::string& thenLabel, bool& needThenLabel) {
  EmitConditionChain(st, elseLabel, thenLabel, needThenLabel);
  ExpectToken(st, "then");
}

// A part of the If: its statements, unless the part is empty (End If follows at once).
void CompilePart(CompilerState& st) {
  if (st.TokText() == "end" && st.TokText(1) == "if") return;
  st.entries.compileBlock(st);
}

}  // namespace

void CompileIfStatement(CompilerState& st) {
  const OpenBlock open(st, "IF");
  // A single-line If inside the statements of another keeps the outer one's flag.
  const bool outerSingleLine = st.sticky.SingleLineIf;
  st.sticky.OperandType = 0;
  st.expr.IfConditionActive = true;
  ++st.src.TokenIndex;

  const std::string endLabel = NewLabel(st);
  std::string elseLabel = NewLabel(st);
  std::string thenLabel;
  bool needThenLabel = true;
  st.expr.BitOperandIsIo = false;
  st.expr.BitOperandIsLocal = false;

  EmitIfCondition(st, elseLabel, thenLabel, needThenLabel);
  st.expr.IfConditionActive = false;
  if (thenLabel.empty()) thenLabel = NewLabel(st);
  EmitLabel(st, thenLabel);

  bool singleLine = false;
  if (!IsLineEnd(st)) {
    singleLine = true;
    st.sticky.SingleLineIf = true;
    st.entries.compileBlock(st);
  } else {
    CheckStatementEnd(st);
    st.sticky.OperandType = 0;
    CompilePart(st);
  }

  for (;;) {
    const std::string word = st.TokText();
    if (word == "elseif" || word == "else") st.out.Instr(Sep::kNarrow, "rjmp", endLabel);
    EmitLabel(st, elseLabel);
    if (word == "elseif") {
      ++st.src.TokenIndex;
      elseLabel = NewLabel(st);
      thenLabel = NewLabel(st);
      needThenLabel = false;
      EmitIfCondition(st, elseLabel, thenLabel, needThenLabel);
      EmitLabel(st, thenLabel);
      if (IsLineEnd(st)) CheckStatementEnd(st);
      CompilePart(st);
      continue;
    }
    if (word == "else") {
      ++st.src.TokenIndex;
      if (IsLineEnd(st)) CheckStatementEnd(st);
      CompilePart(st);
    }
    break;
  }

  EmitLabel(st, endLabel);
  if (!singleLine) {
    ExpectToken(st, "end");
    ExpectToken(st, "if");
  }
  st.sticky.SingleLineIf = outerSingleLine;
}

}  // namespace qbc
