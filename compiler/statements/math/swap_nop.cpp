#include "compiler/statements/math/swap_nop.h"

#include <algorithm>
#include <string>

#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"

namespace qbc {

namespace {

constexpr const char* kMsgSwapType = "Must be Byte, Integer or Word!";

// Loads the variable named by the current token in its own type; returns that type, or 0
// (reported) when the token is no variable (a register has no place to store back).
std::uint8_t LoadSwapOperand(CompilerState& st) {
  if (st.Tok().Kind != kTokName) {
    CompileError(st, "Must be a variable!");
    return 0;
  }
  if (const int g = FindGlobalVar(st, st.TokText()); g != 0 && !WritableGlobal(st, st.sym.GlobalVars[g])) {
    SkipToStatementEnd(st);
    return 0;
  }
  st.expr.LoadedVarClass = kLoadedNone;
  EmitLoadOperand(st, kTypeNone);
  if (st.expr.LoadedVarClass == kLoadedNone) {
    ReportInPlace(st, "Must be a variable!");
    return 0;
  }
  return st.sticky.OperandType;
}

// Stores zl (and zh) into a global variable or into a local or parameter in the frame.
void StoreSwapped(CompilerState& st, const std::string& name, LoadedPlace where, std::uint8_t type) {
  if (where == kGlobalVar) EmitStoreVariable(st, name, "zl", type);
  if (where == kFrameVar) EmitStoreFrameVar(st, name, "zl", type);
}

bool Swappable(std::uint8_t t) { return t == kTypeByte || t == kTypeInteger || t == kTypeWord; }

void SwapOne(CompilerState& st, const std::string& a, std::uint8_t type) {
  const LoadedPlace where = st.expr.LoadedVarClass;
  if (type == kTypeByte) {
    st.out.Instr(Sep::kNarrow, "swap", "zl");
    if (where == kGlobalVar) EmitStoreVariable(st, a, "zl", type);
    if (where == kFrameVar) EmitStoreFrameVar(st, a, "zl", type);
  } else if (where == kGlobalVar) {
    st.out.Instr(Sep::kWide, "sts", a + ",zh");
    st.out.Instr(Sep::kWide, "sts", a + "+1,zl");
  } else if (where == kFrameVar) {
    st.out.Instr(Sep::kWide, "mov", "r25,zl");
    st.out.Instr(Sep::kWide, "mov", "zl,zh");
    st.out.Instr(Sep::kWide, "mov", "zh,r25");
    EmitStoreFrameVar(st, a, "zl", type);
  }
}

// A's value waits on the stack while B is loaded and stored into A; each store goes to
// its variable's own place, global or frame.
void SwapTwo(CompilerState& st, const std::string& a, LoadedPlace whereA, std::uint8_t typeA) {
  const bool wide = typeA != kTypeByte;
  st.out.Instr(Sep::kNarrow, "push", "zl");
  if (wide) st.out.Instr(Sep::kNarrow, "push", "zh");
  const std::string b = st.TokText();
  const std::uint8_t typeB = LoadSwapOperand(st);
  const LoadedPlace whereB = st.expr.LoadedVarClass;
  if (typeB == 0) return;
  if (!Swappable(typeB)) {
    CompileError(st, kMsgSwapType);
    return;
  }
  // the stores take each variable's whole width: a byte and a word would write the
  // byte after the byte variable
  if ((typeB != kTypeByte) != wide) {
    CompileError(st, "Must be of the same size!");
    return;
  }
  StoreSwapped(st, a, whereA, typeA);
  if (wide) st.out.Instr(Sep::kWide, "pop", "zh");
  st.out.Instr(Sep::kWide, "pop", "zl");
  StoreSwapped(st, b, whereB, typeB);
}

}  // namespace

void CompileSwapStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  if (st.TokText() == "(") ++st.src.TokenIndex;
  const std::string a = st.TokText();
  const std::uint8_t type = LoadSwapOperand(st);
  const LoadedPlace where = st.expr.LoadedVarClass;
  if (type != 0 && !Swappable(type)) CompileError(st, kMsgSwapType);
  if (type != 0 && Swappable(type)) {
    if (st.TokText() == ",") {
      ++st.src.TokenIndex;
      SwapTwo(st, a, where, type);
    } else {
      SwapOne(st, a, type);
    }
  }
  if (st.TokText() == ")") ++st.src.TokenIndex;
}

void CompileNopStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  if (st.Tok().Kind != kTokNumber) {
    st.out.Instr("nop");
    return;
  }
  // Read digit by digit: a count of any length is refused, never read past its range.
  long n = 0;
  for (char c : st.TokText()) {
    if (c < '0' || c > '9') break;
    n = std::min(n * 10 + (c - '0'), 256L);
  }
  if (n > 255) {
    CompileError(st, "Must be 0 to 255!");
    return;
  }
  for (long i = 0; i < n; ++i) st.out.Instr("nop");
  ++st.src.TokenIndex;
}

}  // namespace qbc
