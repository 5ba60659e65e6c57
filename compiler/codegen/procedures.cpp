#include "compiler/codegen/procedures.h"

#include <string>

#include "compiler/codegen/body_pass_over.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/open_blocks.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/source_names.h"
#include "compiler/frontend/dim_parser.h"
#include "compiler/base/labels.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

constexpr int kFrameReach = 63;  // largest ldd/std displacement and adiw/sbiw operand

// Every variable of the current procedure must lie within reach of ldd/std.
void CheckFrameReach(CompilerState& st) {
  const ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
  for (int i = 1; i <= st.sym.LocalVarCount; ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[i];
    if (v.OwnerProc != st.sym.CurrentSubName) continue;
    const int last = p.FrameSize - v.FrameOffset + FrameSlotBytes(v) - 1;
    if (last > kFrameReach) {
      ReportInPlace(st, "Frame of " + UpperText(SourceName(p.Name)) + " too big: more than 63 bytes!");
      return;
    }
  }
}

// A string local's slot holds the address of its text, which lies in the frame right
// above the slot: point the slot at it and make the text empty.
void EmitStringLocalSetUp(CompilerState& st, int firstLocal) {
  const ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
  for (int i = firstLocal; i <= st.sym.LocalVarCount; ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[i];
    if (v.OwnerProc != st.sym.CurrentSubName || v.VarType != kTypeString || v.Storage == kStorageFlash) continue;
    const int d = p.FrameSize - v.FrameOffset;
    st.out.Instr(Sep::kWide, "mov", "zl,yl");
    st.out.Instr(Sep::kWide, "mov", "zh,yh");
    EmitAdjustPair(st, "adiw", "zl", d + 2);
    st.out.Instr(Sep::kWide, "std", "y+" + Dec(d) + ",zl");
    st.out.Instr(Sep::kWide, "std", "y+" + Dec(d + 1) + ",zh");
    st.out.Instr(Sep::kWide, "clr", "r24");
    st.out.Instr(Sep::kWide, "st", "Z,r24");
  }
}

// The "local" lines after a definition line; returns the bytes they take.
int DeclareLocals(CompilerState& st, int& count) {
  int total = 0;
  const int before = st.sym.LocalVarCount;
  while (st.TokText() == "local") total += DeclareLocalList(st);
  count = st.sym.LocalVarCount - before;
  return total;
}

struct Definition {
  std::string endLabel;
  BodyFrame frame;
};

// Steps 4 to 9 shared by Sub and Function: the parameter list, the locals and the entry.
bool OpenDefinition(CompilerState& st, const std::string& kind, Definition& def) {
  st.expr.ArgStackOffset = 0;
  st.sticky.OperandType = 0;
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  st.sym.CurrentSubName = name;
  const int k = FindSub(st, name);
  if (k == 0) {
    CompileError(st, kind + " " + UpperText(SourceName(name)) + " not declared!");
    st.Tok().Text = "<EOL>";
    st.Tok().Kind = kTokEol;
    return false;
  }
  PassOverBody(st);
  if (EnterDefinition(st, kind, name, k)) EmitLabel(st, name);
  ++st.src.TokenIndex;
  ParseParamDeclList(st);
  return true;
}

void EnterBody(CompilerState& st, Definition& def) {
  def.frame = DeclareBodyFrame(st);
  EmitBodyFrameEntry(st, def.frame);
}

}  // namespace

bool EnterDefinition(CompilerState& st, const std::string& kind, const std::string& name, int k) {
  st.sym.CurrentSubIndex = static_cast<std::uint8_t>(k - 1);
  const std::string shown = UpperText(SourceName(name));
  if (const std::string_view open = InnermostOpenBlock(st); !open.empty())
    ReportInPlace(st, kind + " " + shown + " can not be defined inside " + std::string(open) + "!");
  ProcRecord& p = st.sym.Procs[k - 1];
  if (p.Defined) {
    ReportInPlace(st, kind + " " + shown + " already defined!");
    return false;
  }
  p.Defined = true;
  return true;
}

BodyFrame DeclareBodyFrame(CompilerState& st) {
  // A definition line cut short must not send the statement-end check into the tokens an
  // earlier, longer line left beyond this line's end.
  HoldOnLine(st);
  CheckStatementEnd(st);
  BodyFrame frame;
  int count = 0;
  frame.firstLocal = st.sym.LocalVarCount + 1;
  frame.localBytes = DeclareLocals(st, count);
  ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
  p.LocalBytes = static_cast<std::uint8_t>(frame.localBytes);
  p.VarCount = static_cast<std::uint8_t>(p.ParamCount + count);
  CheckFrameReach(st);
  return frame;
}

void EmitBodyFrameEntry(CompilerState& st, const BodyFrame& frame) {
  EmitAdjustPair(st, "sbiw", "yl", frame.localBytes);
  EmitStringLocalSetUp(st, frame.firstLocal);
}

void EmitAdjustPair(CompilerState& st, const char* mnemonic, const char* pair, int bytes) {
  while (bytes > 0) {
    const int n = bytes > kFrameReach ? kFrameReach : bytes;
    st.out.Instr(Sep::kNarrow, mnemonic, std::string(pair) + "," + Dec(n));
    bytes -= n;
  }
}

void CompileSubDefinition(CompilerState& st) {
  Definition def;
  if (!OpenDefinition(st, "Sub", def)) return;
  const OpenBlock open(st, "SUB");
  def.endLabel = NewLabel(st);
  ++st.nest.SubNestingDepth;
  st.exits.SubExitLabels[st.nest.SubNestingDepth] = def.endLabel;
  EnterBody(st, def);
  // An empty body is its End Sub alone; an End statement may be the body's first line.
  if (!(st.TokText() == "end" && st.TokText(1) == "sub")) st.entries.compileBlock(st);
  EmitLabel(st, def.endLabel);
  EmitAdjustPair(st, "adiw", "yl", def.frame.localBytes);
  st.out.Instr("ret");
  ExpectToken(st, "end");
  ExpectToken(st, "sub");
  --st.nest.SubNestingDepth;
}

void CompileFunctionDefinition(CompilerState& st) {
  Definition def;
  if (!OpenDefinition(st, "Function", def)) return;
  const OpenBlock open(st, "FUNCTION");
  ExpectToken(st, "as");
  ++st.src.TokenIndex;  // the result type: fixed by the declaration
  def.endLabel = NewLabel(st);
  ++st.nest.FunctionNestingDepth;
  st.exits.FunctionExitLabels[st.nest.FunctionNestingDepth] = def.endLabel;
  EnterBody(st, def);
  st.expr.ArgStackOffset = 0;
  if (!(st.TokText() == "end" && st.TokText(1) == "function")) st.entries.compileBlock(st);
  EmitLabel(st, def.endLabel);
  EmitAdjustPair(st, "adiw", "yl", def.frame.localBytes);
  st.out.Instr("ret");
  st.out.Line();
  ExpectToken(st, "end");
  ExpectToken(st, "function");
  --st.nest.FunctionNestingDepth;
}

void CompileReturnStatement(CompilerState& st) {
  const std::uint8_t result = st.sym.Procs[st.sym.CurrentSubIndex].ResultType;
  ++st.src.TokenIndex;
  // worked as an assignment to the result: its low bytes are the value returned
  const StoreTypeScope store(st, result);
  ParseSum(st, result);
}

std::uint8_t DeclareLocalList(CompilerState& st) {
  int total = DeclareNextLocal(st);
  while (st.TokText() == ",") total += DeclareNextLocal(st);
  CheckStatementEnd(st);
  return static_cast<std::uint8_t>(total > 255 ? 255 : total);
}

std::uint8_t DeclareNextLocal(CompilerState& st) {
  ++st.src.TokenIndex;
  const int before = st.sym.LocalVarCount;
  int bytes = DeclareLocalVar(st, st.TokText());
  if (st.sym.LocalVarCount == before) return static_cast<std::uint8_t>(bytes);
  LocalVarRecord& v = st.sym.LocalVars[st.sym.LocalVarCount];
  if (v.VarType == kTypeString && v.Storage != kStorageFlash) {
    // The text itself lies in the frame, right above the slot that addresses it.
    ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
    if (p.FrameSize + v.StrLen > 255) {
      ReportInPlace(st, "Too many parameters and locals!");
    } else {
      p.FrameSize = static_cast<std::uint8_t>(p.FrameSize + v.StrLen);
      v.FrameOffset = p.FrameSize;
      bytes += v.StrLen;
    }
  }
  return static_cast<std::uint8_t>(bytes > 255 ? 255 : bytes);
}

void ParseParamDeclList(CompilerState& st) {
  if (st.TokText() != "<EOL>") ++st.src.TokenIndex;
  st.expr.InParamList = true;
  if (st.TokText() != ")") {
    for (;;) {
      if (st.TokText() == "<EOL>") break;
      if (CheckParamDecl(st) == kTypeString || st.TokText() == "*") {
        ExpectToken(st, "*");
        ++st.src.TokenIndex;
      }
      if (st.TokText() != ",") break;
      ++st.src.TokenIndex;
    }
  }
  ExpectToken(st, ")");
  st.expr.InParamList = false;
}

std::uint8_t CheckParamDecl(CompilerState& st) {
  const std::string name = st.TokText();
  const int k = FindLocalVar(st, name);
  if (k == 0)
    CompileError(st, "Parameter " + SourceName(name) + " not declared");
  else
    ++st.src.TokenIndex;
  const std::uint8_t type = ParseVarType(st);
  if (k == 0) return 0;
  if (st.sym.LocalVars[k - 1].VarType != type) {
    ReportInPlace(st, "Wrong parameter type " + SourceName(name));
    return 0;
  }
  return type;
}

int FindFirstLocalOfSub(CompilerState& st) {
  for (int i = 0; i <= st.sym.LocalVarCount; ++i)
    if (st.sym.LocalVars[i].OwnerProc == st.sym.CurrentSubName) return i;
  return 0;
}

}  // namespace qbc
