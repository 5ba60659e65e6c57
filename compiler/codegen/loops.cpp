// Do ... Loop [While condition] (tested at the bottom) and While condition ... Wend (tested
// at the top). Both record their exit label by nesting depth for Exit Do / Exit While.
#include "compiler/codegen/compare_negate.h"
#include "compiler/base/source_names.h"
#include "compiler/codegen/conditions.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/open_blocks.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/labels.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {
bool IsLineEnd(CompilerState& st) { return IsWord(st.Tok(), ":") || st.TokText() == "<EOL>"; }

}  // namespace

std::uint8_t EnterNestedLoop(CompilerState& st, std::uint8_t& depth) {
  constexpr std::uint8_t kDeepestLoop = 32;
  if (depth >= kDeepestLoop) StopAtCompilerLimit(st, "Too many nested loops (32)!");
  return ++depth;
}

void CompileDoStatement(CompilerState& st) {
  const OpenBlock open(st, "DO");
  st.sticky.OperandType = 0;
  ++st.src.TokenIndex;
  const std::string topLabel = NewLabel(st);
  const std::string exitLabel = NewLabel(st);
  const std::uint8_t depth = EnterNestedLoop(st, st.nest.DoNestingDepth);
  st.exits.DoExitLabels[depth] = exitLabel;
  st.exits.DoForDepth[depth] = st.nest.ForNestingDepth;
  EmitLabel(st, topLabel);
  if (IsLineEnd(st)) {
    CheckStatementEnd(st);
    if (IsWord(st.Tok(), ":")) ++st.src.TokenIndex;
  }
  st.entries.compileBlock(st);
  st.sticky.OperandType = 0;
  ExpectToken(st, "loop");
  std::string bodyLabel;
  bool needBodyLabel = true;
  if (!IsLineEnd(st)) {
    ExpectToken(st, "while");
    EmitConditionChain(st, exitLabel, bodyLabel, needBodyLabel);
  }
  if (!bodyLabel.empty()) EmitLabel(st, bodyLabel);
  st.out.Instr(Sep::kNarrow, "rjmp", topLabel);
  EmitLabel(st, exitLabel);
  --st.nest.DoNestingDepth;
}

void CompileWhileStatement(CompilerState& st) {
  const OpenBlock open(st, "WHILE");
  st.sticky.OperandType = 0;
  ++st.src.TokenIndex;
  const std::string topLabel = NewLabel(st);
  const std::string exitLabel = NewLabel(st);
  const std::uint8_t depth = EnterNestedLoop(st, st.nest.WhileNestingDepth);
  st.exits.WhileExitLabels[depth] = exitLabel;
  st.exits.WhileForDepth[depth] = st.nest.ForNestingDepth;
  EmitLabel(st, topLabel);
  std::string bodyLabel;
  bool needBodyLabel = true;
  st.expr.BitOperandIsIo = false;
  st.expr.BitOperandIsLocal = false;
  st.expr.BitOperandIsGlobal = false;
  if (st.src.TokenCount <= 2) {
    ReportInPlace(st, "Condition missing");
  } else {
    EmitConditionChain(st, exitLabel, bodyLabel, needBodyLabel);
  }
  if (bodyLabel.empty()) bodyLabel = NewLabel(st);
  EmitLabel(st, bodyLabel);
  if (IsLineEnd(st)) {
    CheckStatementEnd(st);
    if (IsWord(st.Tok(), ":")) ++st.src.TokenIndex;
  }
  if (st.TokText() == "end") {
    ReportInPlace(st, "While not properly terminated!");
  } else {
    st.entries.compileBlock(st);
  }
  st.out.Instr(Sep::kNarrow, "rjmp", topLabel);
  EmitLabel(st, exitLabel);
  ExpectToken(st, "wend");
  --st.nest.WhileNestingDepth;
}

}  // namespace qbc
