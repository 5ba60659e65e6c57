#include "compiler/codegen/proc_calls.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/call_graph.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/expression_type.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/procedures.h"
#include "compiler/codegen/integer_to_float.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/labels.h"
#include "compiler/base/names.h"
#include "compiler/base/symbols.h"
#include "compiler/base/text_rows.h"
#include "compiler/codegen/handlers/handler_areas.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {

struct Context {
  std::string name;
  std::uint8_t index = 0;
};

Context Current(CompilerState& st) { return {st.sym.CurrentSubName, st.sym.CurrentSubIndex}; }

void MakeCurrent(CompilerState& st, const Context& c) {
  st.sym.CurrentSubName = c.name;
  st.sym.CurrentSubIndex = c.index;
}

int ParameterBytes(const ProcRecord& p) { return p.FrameSize - p.LocalBytes; }

bool IsStringType(std::uint8_t t) { return t == kTypeString || t == kTypeFlashString; }

// The Function's result (type r, in its working registers) converted to the wanted type w.
void EmitResultConversion(CompilerState& st, std::uint8_t w, std::uint8_t r) {
  if (w >= kTypeInteger && w <= kTypeLong && r >= kTypeByte && r <= kTypeWord) {
    EmitWidenInteger(st, kWorkRegisters, r, w);
  } else if (w == kTypeFloat) {
    EmitIntegerToFloat(st, r, IntegerInWorkRegisters());
  } else if (w >= kTypeBit && w <= kTypeLong && r == kTypeFloat) {
    // A float result wanted as an integer: the float-to-integer conversion of operands.
    const std::uint8_t kept = st.sticky.OperandType;
    st.sticky.OperandType = kTypeFloat;
    const bool skip = st.sticky.SkipOperandPush;
    st.sticky.SkipOperandPush = false;
    EmitConvertFromFloat(st, w);
    st.sticky.SkipOperandPush = skip;
    st.sticky.OperandType = kept;
  }
}

}  // namespace

namespace {

// The main program's argument area (where Y starts at reset) or, `handler` set, the
// handlers' own, plus the offset: the two operands that load it into X.
std::pair<std::string, std::string> ArgAreaOperands(const CompilerState& st, bool handler, int offset) {
  std::string address = handler ? kHandlerArgArea : "RAMEND";
  const long stack = textrows::StackSizeValue(st);
  if (!handler && stack > 0) address += "-" + Dec(stack);
  if (offset > 0) address += "+" + Dec(offset);
  return {"xl,byte1(" + address + ")", "xh,byte2(" + address + ")"};
}

void LoadArgAreaAddress(CompilerState& st, bool handler, int offset) {
  const auto [low, high] = ArgAreaOperands(st, handler, offset);
  st.out.Instr(Sep::kWide, "ldi", low);
  st.out.Instr(Sep::kWide, "ldi", high);
}

// X = the main program's argument area (`handler` set, the handlers') for a call made in
// procedure `proc` that has no string parameters of its own: past the copies its callers
// may have made (it would start the area afresh, over the copies of a caller further up
// that are still to be read).
void LoadProcArgArea(CompilerState& st, int proc, bool handler, int offset) {
  st.Cells<CallGraphCells>().AreaLoads.push_back({st.out.Anchor(), proc, offset, handler});
}

}  // namespace

void EmitStringArgArea(CompilerState& st, int offset) {
  const HandlerCells& handlers = st.Cells<HandlerCells>();
  LoadArgAreaAddress(st, handlers.InBody && handlers.ArgAreaBytes > 0, offset);
}

namespace {

// Inside a procedure the area begins after the copies of the procedure's own string
// parameters, which its caller placed there: a call made in the procedure must not
// overwrite them. The copies lie one after the other, so the last string parameter's
// copy (its address in the frame, plus its length) ends them.
void EmitCallerStringArgArea(CompilerState& st, const std::string& callerName, std::uint8_t callerIndex,
                             int offset) {
  const Context called = Current(st);
  MakeCurrent(st, {callerName, callerIndex});
  const LocalVarRecord* last = nullptr;
  // (the procedure's name stays current after its End Sub: only a body counts)
  const bool inBody = st.nest.SubNestingDepth > 0 || st.nest.FunctionNestingDepth > 0;
  if (!callerName.empty() && inBody) {
    const int first = FindFirstLocalOfSub(st);
    const int n = st.sym.Procs[callerIndex].ParamCount;
    for (int i = 0; i < n; ++i) {
      const LocalVarRecord& v = st.sym.LocalVars[first + i];
      if (v.OwnerProc == callerName && IsStringType(v.VarType)) last = &v;
    }
  }
  const bool procedure = inBody && !st.Cells<HandlerCells>().InBody && !callerName.empty();
  if (last == nullptr && inBody && st.Cells<HandlerCells>().ArgAreaBytes > 0) {
    // A procedure runs for the main program or for a handler.
    const std::string done = NewLabel(st);
    if (procedure) {
      LoadProcArgArea(st, callerIndex, true, offset);
      EmitJumpIfHandlerRunning(st, done);
      LoadProcArgArea(st, callerIndex, false, offset);
    } else {
      LoadArgAreaAddress(st, true, offset);
      EmitJumpIfHandlerRunning(st, done);
      LoadArgAreaAddress(st, false, offset);
    }
    EmitLabel(st, done);
  } else if (last == nullptr && procedure) {
    LoadProcArgArea(st, callerIndex, false, offset);
  } else if (last == nullptr) {
    EmitStringArgArea(st, offset);
  } else {
    const int d = FrameReadDisplacement(st, *last);
    const int past = last->StrLen + offset;
    st.out.Instr(Sep::kWide, "ldd", "xl,y+" + Dec(d));
    st.out.Instr(Sep::kWide, "ldd", "xh,y+" + Dec(d + 1));
    st.out.Instr(Sep::kWide, "subi", "xl,byte1(-" + Dec(past) + ")");
    st.out.Instr(Sep::kWide, "sbci", "xh,byte2(-" + Dec(past) + ")");
  }
  MakeCurrent(st, called);
}

void EmitStringArg(CompilerState& st, std::uint8_t length, const char* routine) {
  st.out.Instr(Sep::kWide, "st", "-Y,xh");
  st.out.Instr(Sep::kWide, "st", "-Y,xl");
  st.out.Instr(Sep::kWide, "ldi", "r20," + Dec(length));
  EmitCall(st, routine);
}

}  // namespace

void EmitStringVarArg(CompilerState& st, std::uint8_t length) {
  st.used.Set(NeedStoreStr);
  EmitStringArg(st, length, "_StStr");
}

void EmitStringConstArg(CompilerState& st, std::uint8_t length) {
  st.used.Set(NeedStoreStrConst);
  EmitStringArg(st, length, "_StStC");
}

namespace {

// A string variable named alone as the argument (a text given for a number parameter is
// the call's wrong argument, reported by the argument check, not a text in a number).
bool LoneStringVariable(CompilerState& st) {
  if (st.Tok().Kind != kTokName || (st.TokText(1) != "," && st.TokText(1) != ")")) return false;
  if (const int l = FindLocalVar(st, st.TokText()); l != 0) return IsStringType(st.sym.LocalVars[l - 1].VarType);
  if (const int g = FindGlobalVar(st, st.TokText()); g != 0) return IsStringType(st.sym.GlobalVars[g].VarType);
  return false;
}

}  // namespace

void CompileArgExpression(CompilerState& st, const std::string& callerName, std::uint8_t callerIndex,
                          std::uint8_t parameter) {
  const Context called = Current(st);
  MakeCurrent(st, {callerName, callerIndex});
  if (parameter != kTypeNone && !IsStringType(parameter) && LoneStringVariable(st)) parameter = kTypeNone;
  // Worked as an assignment to the parameter: an operand wider than it is not cut before
  // the operation, and the low bytes of the result are passed.
  const StoreTypeScope store(st, parameter);
  ParseSum(st, parameter);
  st.expr.ArgStackOffset += EmitSoftStackPush(st, st.expr.OperandInFlash ? std::uint8_t{kTypeWord} : parameter);
  MakeCurrent(st, called);
}

int ParseCallArgs(CompilerState& st, const std::string& callerName, std::uint8_t callerIndex) {
  st.expr.IndexOnStack = true;
  const std::uint8_t keptOperandType = st.sticky.OperandType;
  const ProcRecord& proc = st.sym.Procs[st.sym.CurrentSubIndex];
  const int n = proc.ParamCount;
  const int first = n != 0 ? FindFirstLocalOfSub(st) : 0;
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  int count = 0;
  if (n != 0 && st.TokText() != ")") {
    for (;;) {
      if (count > 0) ++st.src.TokenIndex;  // the ","
      ++count;
      const LocalVarRecord* param = count <= n ? &st.sym.LocalVars[first + count - 1] : nullptr;
      std::uint8_t type = param ? param->VarType : std::uint8_t{kTypeNone};
      // A bit travels as a byte holding 0 or 1.
      if (type == kTypeBit) type = kTypeByte;
      CompileArgExpression(st, callerName, callerIndex, type);
      const std::uint8_t got = st.sticky.OperandType;
      if (param != nullptr && IsStringType(param->VarType) != IsStringType(got)) {
        ReportInPlace(st, "Wrong argument type for " + SourceName(param->Name));
      } else if (param != nullptr && IsStringType(got)) {
        // Each string argument gets its own place in the area: later arguments and calls
        // inside the argument list cannot overwrite it.
        EmitCallerStringArgArea(st, callerName, callerIndex, st.expr.StringArgAreaTop);
        if (got == kTypeFlashString || st.expr.OperandInFlash)
          EmitStringConstArg(st, param->StrLen);
        else
          EmitStringVarArg(st, param->StrLen);
        st.expr.ArgStackOffset += 2;
        st.expr.StringArgAreaTop += param->StrLen;
      }
      st.expr.OperandInFlash = false;
      if (st.TokText() != ",") break;
    }
  }
  if (count != n) {
    ReportInPlace(st, "Parameters count dont match Sub declaration!");
  }
  ExpectToken(st, ")");
  st.sticky.OperandType = keptOperandType;
  return count;
}

void CompileSubCall(CompilerState& st, const std::string& name) {
  const Context caller = Current(st);
  st.sym.CurrentSubName = name;
  const int k = FindSub(st, name);
  if (k == 0) {
    CompileError(st, "Sub " + UpperText(SourceName(name)) + " not declared");
    MakeCurrent(st, caller);
    return;
  }
  if (const DeclaredName* d = FindName(st, name); d != nullptr && d->Kind == NameKind::kInterrupt) {
    // its code has no label of its name and ends in "reti": the interrupt comes to it
    MakeCurrent(st, caller);
    CompileError(st, "Interrupt " + UpperText(SourceName(name)) + " can not be called!");
    SkipToStatementEnd(st);
    return;
  }
  st.sym.CurrentSubIndex = static_cast<std::uint8_t>(k - 1);
  st.sym.Procs[k - 1].Used = true;
  const std::size_t call = RecordCall(st, caller.index, k - 1);
  // A call inside another call's argument list continues its caller's counts and gives
  // them back when its own arguments are released.
  const int keptOffset = st.expr.ArgStackOffset;
  const int keptArea = st.expr.StringArgAreaTop;
  ParseCallArgs(st, caller.name, caller.index);
  st.Cells<CallGraphCells>().Calls[call].ArgCopyEnd = st.expr.StringArgAreaTop;
  const int bytes = ParameterBytes(st.sym.Procs[k - 1]);
  st.out.Instr(Sep::kNarrow, st.mn.CallMnemonic, name);
  EmitAdjustPair(st, "adiw", "yl", bytes);
  MakeCurrent(st, caller);
  st.expr.ArgStackOffset = keptOffset;
  st.expr.StringArgAreaTop = keptArea;
}

void CompileFunctionCall(CompilerState& st, const std::string& name, std::uint8_t wanted) {
  const Context caller = Current(st);
  st.sym.CurrentSubName = name;
  const int k = FindSub(st, name);
  if (k == 0) {
    CompileError(st, "Sub " + UpperText(SourceName(name)) + " not declared");
    MakeCurrent(st, caller);
    return;
  }
  ProcRecord& proc = st.sym.Procs[k - 1];
  if (proc.ResultType == kTypeNone) {
    // a Sub gives no value: its call would leave whatever the registers held
    MakeCurrent(st, caller);
    CompileError(st, UpperText(name) + " cannot stand in an expression!");
    // past its argument list: the expression goes on after the call
    for (int depth = 0; st.Tok().Kind != kTokEol;) {
      if (st.Tok().Kind == kTokOpenParen) ++depth;
      if (st.Tok().Kind == kTokCloseParen) --depth;
      ++st.src.TokenIndex;
      if (depth <= 0) break;
    }
    return;
  }
  st.sym.CurrentSubIndex = static_cast<std::uint8_t>(k - 1);
  proc.Used = true;
  const std::size_t call = RecordCall(st, caller.index, k - 1);
  const std::uint8_t result = proc.ResultType;
  st.sticky.OperandType = result;
  const int keptOffset = st.expr.ArgStackOffset;
  const int keptArea = st.expr.StringArgAreaTop;
  ParseCallArgs(st, caller.name, caller.index);
  st.Cells<CallGraphCells>().Calls[call].ArgCopyEnd = st.expr.StringArgAreaTop;
  const int bytes = ParameterBytes(st.sym.Procs[k - 1]);
  st.out.Instr(Sep::kNarrow, st.mn.CallMnemonic, name);
  EmitResultConversion(st, wanted, result);
  EmitAdjustPair(st, "adiw", "yl", bytes);
  MakeCurrent(st, caller);
  // A float result converted to an integer lies in the integer registers: it goes on as
  // that type.
  const bool toInteger = result == kTypeFloat && wanted >= kTypeByte && wanted <= kTypeLong;
  st.sticky.OperandType = toInteger ? wanted : result;
  st.expr.ArgStackOffset = keptOffset;
  st.expr.StringArgAreaTop = keptArea;
}

void EmitProcArgAreaLoads(CompilerState& st) {
  const std::vector<CallGraphCells::AreaLoad>& loads = st.Cells<CallGraphCells>().AreaLoads;
  if (loads.empty()) return;
  const std::vector<int> entries[2] = {ArgCopiesAtEntries(st, false), ArgCopiesAtEntries(st, true)};
  // (all in one pass over the text)
  std::vector<AsmWriter::Piece> pieces;
  for (const CallGraphCells::AreaLoad& l : loads) {
    const std::vector<int>& from = entries[l.Handlers ? 1 : 0];
    const int entry = l.Proc < static_cast<int>(from.size()) ? from[static_cast<std::size_t>(l.Proc)] : 0;
    const auto [low, high] = ArgAreaOperands(st, l.Handlers, entry + l.Offset);
    pieces.push_back({st.out.AnchorPosition(l.Anchor), 0,
                      st.out.InstrText(Sep::kWide, "ldi", low) + "\r\n" + st.out.InstrText(Sep::kWide, "ldi", high) + "\r\n"});
  }
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const AsmWriter::Piece& a, const AsmWriter::Piece& b) { return a.position < b.position; });
  st.out.Replace(pieces);
}

}  // namespace qbc
