// Goto, source label definitions, and the memory access Peek, Poke and CPeek.
#include "compiler/base/compile_error.h"
#include "compiler/base/names.h"
#include "compiler/base/source_names.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"
#include "compiler/codegen/goto_targets.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/statement_kit.h"

namespace qbc {

namespace {

// Exit labels of the For loops open here, outermost first: they name the loops.
std::vector<std::string> OpenForLoops(CompilerState& st) {
  std::vector<std::string> loops;
  for (int d = 1; d <= st.nest.ForNestingDepth; ++d) loops.push_back(st.exits.ForExitLabels[d]);
  return loops;
}

// The pops that leave the For loops of `from` that are not open in `to` (`to` must be
// the outer part of `from`; a jump into another loop gets no pops).
void EmitLeaveLoops(CompilerState& st, const std::vector<std::string>& from, const std::vector<std::string>& to) {
  if (to.size() >= from.size()) return;
  for (std::size_t i = 0; i < to.size(); ++i)
    if (to[i] != from[i]) return;
  // The loops of `from` are the innermost ForPushedRegs entries when the Goto is compiled;
  // a forward Goto's loops have closed by now, so their saved byte counts are read by the
  // loops' exit labels, which stay unique.
  for (std::size_t i = from.size(); i > to.size(); --i) {
    const std::uint8_t pushed = st.nest.ForLoopPushes.count(from[i - 1]) ? st.nest.ForLoopPushes[from[i - 1]] : 0;
    if (pushed >= 2) st.out.Instr(Sep::kWide, "pop", "r6");
    if (pushed >= 1) st.out.Instr(Sep::kWide, "pop", "r5");
  }
}

// A Goto waiting for its label, with the place it stands for the error report.
PendingGoto Pending(CompilerState& st, const std::string& target) {
  PendingGoto g;
  g.Target = target;
  g.Trampoline = NewLabel(st);
  g.ForLoops = OpenForLoops(st);
  g.FileName = st.src.IncludeStack[st.src.IncludeLevel].FileName;
  g.LineNumber = st.src.SourceLineNumber;
  return g;
}

}  // namespace

void NoteGotoTarget(CompilerState& st, const std::string& label) {
  GotoTargetCells::Use use;
  use.Target = label;
  use.FileName = st.src.IncludeStack[st.src.IncludeLevel].FileName;
  use.LineNumber = st.src.SourceLineNumber;
  st.Cells<GotoTargetCells>().Uses.push_back(std::move(use));
}

void NoteAsmLabel(CompilerState& st, const std::string& line) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos) return;
  std::string name;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!word) break;
    name += c;
  }
  if (!name.empty() && i < line.size() && line[i] == ':') st.Cells<GotoTargetCells>().AsmLabels[LowerText(name)] = true;
}

std::string JumpTargetLeavingLoops(CompilerState& st, const std::string& label, std::vector<GotoStub>& stubs) {
  if (st.nest.ForNestingDepth == 0) return label;
  const std::vector<std::string> here = OpenForLoops(st);
  if (auto it = st.nest.LabelForLoops.find(label); it != st.nest.LabelForLoops.end()) {
    if (it->second == here) return label;
    GotoStub stub{NewLabel(st), label, it->second};
    stubs.push_back(stub);
    return stub.Stub;
  }
  PendingGoto g = Pending(st, label);
  st.nest.PendingGotos.push_back(g);
  return g.Trampoline;
}

void EmitGotoStubs(CompilerState& st, const std::vector<GotoStub>& stubs) {
  const std::vector<std::string> here = OpenForLoops(st);
  for (const GotoStub& s : stubs) {
    EmitLabel(st, s.Stub);
    EmitLeaveLoops(st, here, s.TargetLoops);
    st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, s.Target);
  }
}

void CompileGotoStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string target = st.TokText();
  const std::string& jump = st.mn.JumpMnemonic;
  if (target == "0" || target == "reset") {
    st.out.Instr(Sep::kNarrow, jump, "_Reset");
  } else if (st.Tok().Kind != kTokName) {
    // a jump with no target would reach the assembler
    ReportInPlace(st, "Missing label after GOTO!");
  } else if (st.nest.ForNestingDepth == 0) {
    st.out.Instr(Sep::kNarrow, jump, target);
  } else if (auto it = st.nest.LabelForLoops.find(target); it != st.nest.LabelForLoops.end()) {
    EmitLeaveLoops(st, OpenForLoops(st), it->second);
    st.out.Instr(Sep::kNarrow, jump, target);
  } else {
    // A label further on, from inside For loops: jump to a stub written before the label,
    // which takes off what the loops left between here and there saved.
    PendingGoto g = Pending(st, target);
    st.out.Instr(Sep::kNarrow, jump, g.Trampoline);
    st.nest.PendingGotos.push_back(std::move(g));
  }
  if (st.Tok().Kind == kTokName) NoteGotoTarget(st, target);
  ++st.src.TokenIndex;
}

void CompileLabelDefinition(CompilerState& st) {
  const std::string name = st.TokText();
  // A label whose name the program declares otherwise is not written: the jumps to it
  // would reach the other one.
  const bool claimed = ClaimName(st, NameKind::kLabel);
  ++st.src.TokenIndex;
  ExpectToken(st, ":");
  if (!claimed) return;
  const std::vector<std::string> here = OpenForLoops(st);
  std::vector<PendingGoto> stubs;
  for (auto it = st.nest.PendingGotos.begin(); it != st.nest.PendingGotos.end();) {
    if (it->Target == name) {
      stubs.push_back(std::move(*it));
      it = st.nest.PendingGotos.erase(it);
    } else {
      ++it;
    }
  }
  if (!stubs.empty()) {
    st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, name);  // the code before the label goes on at it
    for (std::size_t i = 0; i < stubs.size(); ++i) {
      EmitLabel(st, stubs[i].Trampoline);
      EmitLeaveLoops(st, stubs[i].ForLoops, here);
      if (i + 1 < stubs.size()) st.out.Instr(Sep::kNarrow, st.mn.JumpMnemonic, name);
    }
  }
  st.out.Label(name);
  st.nest.LabelForLoops[name] = here;
}

void ReportUndefinedGotoLabels(CompilerState& st) {
  // (every Goto left pending inside For loops is among the targets)
  st.nest.PendingGotos.clear();
  GotoTargetCells& targets = st.Cells<GotoTargetCells>();
  for (const GotoTargetCells::Use& g : targets.Uses) {
    if (st.nest.LabelForLoops.count(g.Target) != 0 || targets.AsmLabels.count(g.Target) != 0) continue;
    CompileErrorAt(st, g.FileName, g.LineNumber, "Unknown label " + SourceName(g.Target));
  }
  targets.Uses.clear();
}

std::uint8_t CompilePeekFunction(CompilerState& st, std::uint8_t caller) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ParseExpression(st, st.dev.RamEnd >= 256 ? kTypeWord : kTypeByte);
  st.sticky.OperandType = kTypeByte;
  st.out.Instr(Sep::kWide, "mov", "xl,zl");
  if (st.dev.RamEnd > 255) st.out.Instr(Sep::kWide, "mov", "xh,zh");
  st.out.Instr(Sep::kWide, "ld", "zl,X+");
  if (caller == kTypeInteger || caller == kTypeWord) {
    if (st.expr.InParenExpr)
      st.out.Instr(Sep::kWide, "clr", "zh");
    else
      st.out.Instr(Sep::kWide, "ld", "zh,X");
  }
  ExpectToken(st, ")");
  return caller;
}

void CompilePokeStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  kit::LoadValue(st, st.dev.RamEnd > 255 ? kTypeWord : kTypeByte);
  // The value's expression may use X: keep the address on the stack meanwhile.
  st.out.Instr(Sep::kNarrow, "push", "zl");
  if (st.dev.RamEnd > 255) st.out.Instr(Sep::kNarrow, "push", "zh");
  kit::ExpectComma(st);
  kit::CompileArgument(st);
  if (st.dev.RamEnd > 255) st.out.Instr(Sep::kWide, "pop", "xh");
  st.out.Instr(Sep::kWide, "pop", "xl");
  st.out.Instr(Sep::kWide, "st", "X+,zl");
  if (st.sticky.OperandType == kTypeWord) st.out.Instr(Sep::kWide, "st", "X,zh");
  ExpectToken(st, ")");
}

std::uint8_t CompileCpeekFunction(CompilerState& st, std::uint8_t caller) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ParseExpression(st, kTypeLong);  // the third address byte in r18
  if (st.dev.NeedRampz) st.out.Instr(Sep::kWide, "out", "RAMPZ,r18");
  st.out.Instr(st.mn.LpmMnemonic);
  st.out.Instr(Sep::kWide, "mov", "zl,r0");
  // The result is one byte, widened for the caller.
  st.sticky.OperandType = kTypeByte;
  if (caller == kTypeInteger || caller == kTypeWord || caller == kTypeLong) st.out.Instr(Sep::kWide, "clr", "zh");
  if (caller == kTypeLong) {
    st.out.Instr(Sep::kWide, "clr", "r18");
    st.out.Instr(Sep::kWide, "clr", "r19");
  }
  ExpectToken(st, ")");
  return caller;
}

}  // namespace qbc
