#include "compiler/codegen/procedures.h"

#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/dim_parser.h"
#include "compiler/frontend/handler_areas.h"
#include "compiler/frontend/interrupt_vectors.h"
#include "compiler/base/labels.h"
#include "compiler/frontend/proc_declarations.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

constexpr int kFrameReach = 63;  // largest ldd/std displacement and adiw/sbiw operand

void ReportInPlace(CompilerState& st, const std::string& message) {
  CompileError(st, message);
  --st.src.TokenIndex;
}

// Every variable of the current procedure must lie within reach of ldd/std.
void CheckFrameReach(CompilerState& st) {
  const ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
  for (int i = 1; i <= st.sym.LocalVarCount; ++i) {
    const LocalVarRecord& v = st.sym.LocalVars[i];
    if (v.OwnerProc != st.sym.CurrentSubName) continue;
    const int last = p.FrameSize - v.FrameOffset + FrameSlotBytes(v) - 1;
    if (last > kFrameReach) {
      ReportInPlace(st, "Frame of " + UpperText(p.Name) + " too big: more than 63 bytes!");
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
  int localBytes = 0;
};

// Steps 4 to 9 shared by Sub and Function: the parameter list, the locals and the entry.
bool OpenDefinition(CompilerState& st, const std::string& kind, Definition& def) {
  st.expr.ArgStackOffset = 0;
  st.sticky.WantedType = 0;
  st.sticky.OperandType = 0;
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  st.sym.CurrentSubName = name;
  const int k = FindSub(st, name);
  if (k == 0) {
    CompileError(st, kind + " " + UpperText(name) + " not declared!");
    st.Tok().Text = "<EOL>";
    st.Tok().Kind = kTokEol;
    return false;
  }
  st.sym.CurrentSubIndex = static_cast<std::uint8_t>(k - 1);
  EmitLabel(st, name);
  st.sym.Procs[k - 1].Defined = true;
  ++st.src.TokenIndex;
  ParseParamDeclList(st);
  return true;
}

void EnterBody(CompilerState& st, Definition& def) {
  // A definition line cut short must not send the statement-end check into the tokens an
  // earlier, longer line left beyond this line's end.
  HoldOnLine(st);
  CheckStatementEnd(st);
  int count = 0;
  const int firstLocal = st.sym.LocalVarCount + 1;
  def.localBytes = DeclareLocals(st, count);
  ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
  p.LocalBytes = static_cast<std::uint8_t>(def.localBytes);
  p.VarCount = static_cast<std::uint8_t>(p.ParamCount + count);
  CheckFrameReach(st);
  EmitAdjustPair(st, "sbiw", "yl", def.localBytes);
  EmitStringLocalSetUp(st, firstLocal);
}

}  // namespace

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
  def.endLabel = NewLabel(st);
  ++st.nest.SubNestingDepth;
  st.exits.SubExitLabels[st.nest.SubNestingDepth] = def.endLabel;
  EnterBody(st, def);
  if (st.TokText() != "end") st.entries.compileBlock(st);
  EmitLabel(st, def.endLabel);
  EmitAdjustPair(st, "adiw", "yl", def.localBytes);
  st.out.Instr("ret");
  ExpectToken(st, "end");
  ExpectToken(st, "sub");
  --st.nest.SubNestingDepth;
}

void CompileFunctionDefinition(CompilerState& st) {
  Definition def;
  if (!OpenDefinition(st, "Function", def)) return;
  ExpectToken(st, "as");
  ++st.src.TokenIndex;  // the result type: fixed by the declaration
  def.endLabel = NewLabel(st);
  ++st.nest.FunctionNestingDepth;
  st.exits.FunctionExitLabels[st.nest.FunctionNestingDepth] = def.endLabel;
  EnterBody(st, def);
  st.expr.ArgStackOffset = 0;
  if (st.TokText() != "end") st.entries.compileBlock(st);
  EmitLabel(st, def.endLabel);
  EmitAdjustPair(st, "adiw", "yl", def.localBytes);
  st.out.Instr("ret");
  st.out.Line();
  ExpectToken(st, "end");
  ExpectToken(st, "function");
  --st.nest.FunctionNestingDepth;
}

void CompileReturnStatement(CompilerState& st) {
  st.sticky.WantedType = st.sym.Procs[st.sym.CurrentSubIndex].ResultType;
  ++st.src.TokenIndex;
  ParseSum(st);
}

namespace {

// Registers each save level keeps for the interrupted code, in push order. Levels 1 to 4
// are fixed sets for handlers whose statements stay within them. "all" covers every
// register the generated code and the library change: r16 to r18 of the long and float
// code and r7 (the sign of the 32-bit division and the zero byte of the float core). In a
// program with a graphic display also r8 to r15: the drawing routines use them as scratch
// while the float functions, float-to-text and DTMF hold live values there (every other
// routine that uses them keeps them itself, so other programs do not pay the eight bytes
// of stack). r5 and r6 (For loop ends) are pushed by every loop and by the routines that
// borrow them; r3 and r4 are the program's bit variables, which a handler changes on
// purpose.
const std::vector<const char*>& SavedRegisters(int level, bool drawing) {
  static const std::vector<const char*> levels[7] = {
      {},
      {"zl", "zh"},
      {"zl", "zh", "r24", "r25"},
      {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh"},
      {"zl", "zh", "r0", "r1", "r24", "r25", "xl", "xh", "r20", "r21", "r22", "r23"},
      {"zl", "zh", "r0", "r1", "r2", "r24", "r25", "xl", "xh", "r16", "r17", "r18", "r19", "r20", "r21", "r22",
       "r23", "r7"},
      {"zl", "zh", "r0", "r1", "r2", "r24", "r25", "xl", "xh", "r16", "r17", "r18", "r19", "r20", "r21", "r22",
       "r23", "r7", "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15"},
  };
  return levels[level == 5 && drawing ? 6 : level];
}

bool SavesZl(const std::vector<const char*>& saved) {
  for (const char* r : saved)
    if (std::string_view(r) == "zl") return true;
  return false;
}

// Every flash read sets RAMPZ for itself, so the handler's reads change it: the
// interrupted code may be between its own "out RAMPZ" and the read, or in the middle of
// a copy from a table above 64 KB. The handler keeps it on the stack, through zl (pushed
// here too when the save level leaves zl out).
void KeepRampz(CompilerState& st, const std::vector<const char*>& saved, bool entry) {
  if (!st.dev.NeedRampz) return;
  const bool zlSaved = SavesZl(saved);
  if (entry) {
    if (!zlSaved) st.out.Instr(Sep::kNarrow, "push", "zl");
    st.out.Instr(Sep::kWide, "in", "zl,RAMPZ");
    st.out.Instr(Sep::kNarrow, "push", "zl");
    return;
  }
  st.out.Instr(Sep::kWide, "pop", "zl");
  st.out.Instr(Sep::kWide, "out", "RAMPZ,zl");
  if (!zlSaved) st.out.Instr(Sep::kWide, "pop", "zl");
}

// The interrupted code may be in the middle of a float-to-text conversion or of a call
// whose string arguments lie in the main argument area: on entry the handler puts the
// text buffers aside (and takes them back before it returns) and marks itself running,
// which sends the string arguments of every call it makes to its own area.
void KeepInterruptedAreas(CompilerState& st, bool entry) {
  if (entry && st.sym.HandlerTextKeepBytes > 0) {
    EmitCall(st, "_IsSw");
    st.used.Set(NeedHandlerTextSwap);
  }
  if (st.sym.HandlerArgAreaBytes > 0) {
    st.out.Instr(Sep::kNarrow, "push", "zl");
    if (entry)
      st.out.Instr(Sep::kWide, "ldi", "zl,0x01");
    else
      st.out.Instr(Sep::kWide, "clr", "zl");
    st.out.Instr(Sep::kWide, "sts", std::string(kHandlerRunning) + ",zl");
    st.out.Instr(Sep::kWide, "pop", "zl");
  }
  if (!entry && st.sym.HandlerTextKeepBytes > 0) EmitCall(st, "_IsSw");
}

// The handler works on a software stack of its own (see handler_areas.h): the
// interrupted code's Y goes to the hardware stack, whatever it holds (half of a
// two-instruction change, or a pointer a routine walks), and comes back unchanged. The
// two ldi are one step for the interrupted code: interrupts are off here. A handler
// interrupting another handler goes on below that one's Y. SREG is already in r2, so
// the flags are free; yl serves as the scratch register once Y is pushed.
void EnterHandlerStack(CompilerState& st) {
  const std::string first = NewLabel(st);
  // _IsDp follows _IsY in the data segment: its address is the top of the area.
  const std::string top = kHandlerDepth;
  st.out.Instr(Sep::kNarrow, "push", "yl");
  st.out.Instr(Sep::kNarrow, "push", "yh");
  st.out.Instr(Sep::kWide, "lds", std::string("yl,") + kHandlerDepth);
  st.out.Instr(Sep::kWide, "inc", "yl");
  st.out.Instr(Sep::kWide, "sts", std::string(kHandlerDepth) + ",yl");
  st.out.Instr(Sep::kWide, "cpi", "yl,0x01");
  st.out.Instr(Sep::kWide, "ldi", "yl,byte1(" + top + ")");
  st.out.Instr(Sep::kWide, "ldi", "yh,byte2(" + top + ")");
  st.out.Instr(Sep::kNarrow, "breq", first);
  st.out.Instr(Sep::kWide, "pop", "yh");
  st.out.Instr(Sep::kWide, "pop", "yl");
  st.out.Instr(Sep::kNarrow, "push", "yl");
  st.out.Instr(Sep::kNarrow, "push", "yh");
  EmitLabel(st, first);
}

void LeaveHandlerStack(CompilerState& st) {
  st.out.Instr(Sep::kWide, "lds", std::string("yl,") + kHandlerDepth);
  st.out.Instr(Sep::kWide, "dec", "yl");
  st.out.Instr(Sep::kWide, "sts", std::string(kHandlerDepth) + ",yl");
  st.out.Instr(Sep::kWide, "pop", "yh");
  st.out.Instr(Sep::kWide, "pop", "yl");
}

}  // namespace

void CompileInterruptDefinition(CompilerState& st) {
  st.sticky.WantedType = 0;
  st.sticky.OperandType = 0;
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  if (name == "adcc") st.expr.AdccInterruptUsed = true;

  const int vector = FindInterruptVector(st, name);
  if (vector == 0) {
    CompileError(st, "Unsupported Interrupt type!");
    st.Tok().Text = "<EOL>";
    st.Tok().Kind = kTokEol;
    return;
  }
  st.sym.CurrentSubName = name;
  const int k = FindSub(st, name);
  if (k == 0) {
    CompileError(st, "Sub " + UpperText(name) + " not declared!");
    SkipToStatementEnd(st);
    CheckStatementEnd(st);
    return;
  }
  st.sym.CurrentSubIndex = static_cast<std::uint8_t>(k - 1);
  st.sym.Procs[k - 1].Defined = true;

  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  ExpectToken(st, ")");
  int level = 0;
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    ExpectToken(st, "save");
    const std::string operand = st.TokText();
    if (operand.size() == 1 && operand[0] >= '0' && operand[0] <= '4') {
      level = operand[0] - '0';
    } else if (operand == "all") {
      level = 5;
    } else {
      // Reported in place: the step below passes the operand once (a second step would
      // leave the line).
      ReportInPlace(st, "Ilegal save operand!");
    }
    ++st.src.TokenIndex;
  }
  HoldOnLine(st);
  CheckStatementEnd(st);

  Definition def;
  int count = 0;
  const int firstLocal = st.sym.LocalVarCount + 1;
  def.localBytes = DeclareLocals(st, count);
  ProcRecord& p = st.sym.Procs[k - 1];
  p.LocalBytes = static_cast<std::uint8_t>(def.localBytes);
  p.VarCount = static_cast<std::uint8_t>(p.ParamCount + count);
  CheckFrameReach(st);

  EmitLabel(st, "IntN" + Dec(vector));
  st.out.Instr(Sep::kWide, "in", "r2,SREG");
  const auto& saved = SavedRegisters(level, st.sym.DrawingRegistersUsed);
  for (const char* r : saved) st.out.Instr(Sep::kNarrow, "push", r);
  KeepRampz(st, saved, true);
  EnterHandlerStack(st);
  EmitAdjustPair(st, "sbiw", "yl", def.localBytes);
  EmitStringLocalSetUp(st, firstLocal);
  KeepInterruptedAreas(st, true);

  st.nest.InterruptBody = true;
  if (st.TokText() != "end") st.entries.compileBlock(st);
  st.nest.InterruptBody = false;

  KeepInterruptedAreas(st, false);
  LeaveHandlerStack(st);
  KeepRampz(st, saved, false);
  for (auto it = saved.rbegin(); it != saved.rend(); ++it) st.out.Instr(Sep::kWide, "pop", *it);
  st.out.Instr(Sep::kWide, "out", "SREG,r2");
  st.out.Instr("reti");
  ExpectToken(st, "end");
  ExpectToken(st, "interrupt");
  HoldOnLine(st);
  SkipToStatementEnd(st);
  CheckStatementEnd(st);
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
    CompileError(st, "Parameter " + name + " not declared");
  else
    ++st.src.TokenIndex;
  const std::uint8_t type = ParseVarType(st);
  if (k == 0) return 0;
  if (st.sym.LocalVars[k - 1].VarType != type) {
    ReportInPlace(st, "Wrong parameter type " + name);
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
