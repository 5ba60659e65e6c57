// WaitUs / WaitMs / Wait (microseconds, milliseconds, seconds) and Incr / Decr.
//
// The delay routines take a byte count in zl (0 waits nothing). A constant above 255 is
// refused; a 16-bit count is passed by calling the routine 2 x 128 times per 256 units
// and once for the low byte.
#include <cstdlib>

#include "compiler/codegen/conditions.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/flow_lines.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/base/symbols.h"

namespace qbc {

using flow::Op1;
using flow::Op2;

namespace {

void CompileDelay(CompilerState& st, const char* routine) {
  ++st.src.TokenIndex;
  const TokenRecord& t = st.Tok();
  const std::string& after = st.TokText(1);
  if (t.Kind == kTokNumber && (after == "<EOL>" || after == ":") &&
      t.Text.find_first_not_of("0123456789") == std::string::npos && std::strtoul(t.Text.c_str(), nullptr, 10) > 255) {
    CompileError(st, "Must be from 0 to 255!");
    return;
  }
  st.sticky.WantedType = 0;
  ParseSum(st);
  switch (st.sticky.OperandType) {
    case kTypeBit:
    case kTypeByte:
      flow::CallRoutine(st, routine);
      break;
    case kTypeInteger:
    case kTypeWord: {
      const std::string loop = NewLabel(st);
      const std::string last = NewLabel(st);
      EmitLabel(st, loop);
      Op2(st, "tst", "zh");
      Op1(st, "breq", last);
      Op1(st, "push", "zl");
      Op1(st, "push", "zh");
      Op2(st, "ldi", "zl,0x80");
      flow::CallRoutine(st, routine);
      Op2(st, "ldi", "zl,0x80");
      flow::CallRoutine(st, routine);
      Op2(st, "pop", "zh");
      Op2(st, "pop", "zl");
      Op2(st, "dec", "zh");
      flow::Rjmp(st, loop);
      EmitLabel(st, last);
      flow::CallRoutine(st, routine);
      break;
    }
    default: {
      CompileError(st, "Unsupported operation!");
      --st.src.TokenIndex;
      break;
    }
  }
}

// Incr (up) or Decr of a variable, a local, or an array element.
void CompileStep(CompilerState& st, bool up) {
  st.sticky.WantedType = 0;
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  const char* longMessage = up ? "Var Long can not be Incr!" : "Var Long can not be Decr!";

  if (st.Tok().Kind == kTokCallName) {
    const int g = FindGlobalVar(st, name);
    if (g == 0) {
      CompileError(st, up ? "This is not an array!" : "Is this array?");
      return;
    }
    const std::uint8_t type = st.sym.GlobalVars[g].VarType;
    st.expr.CurrentVarType = type;
    ++st.src.TokenIndex;
    ExpectToken(st, "(");
    st.sticky.WantedType = 0;
    ParseSum(st);
    if (st.sticky.OperandType == kTypeByte || st.sticky.OperandType == kTypeBit) Op2(st, "clr", "zh");
    if (type == kTypeInteger || type == kTypeWord) {
      Op2(st, "lsl", "zl");
      Op2(st, "rol", "zh");
    }
    Op2(st, "ldi", "xl,byte1(" + name + ")");
    Op2(st, "ldi", "xh,byte2(" + name + ")");
    Op2(st, "add", "xl,zl");
    Op2(st, "adc", "xh,zh");
    if (type == kTypeByte) {
      Op2(st, "ld", "zl,X");
      Op2(st, up ? "inc" : "dec", "zl");
      Op2(st, "st", "X,zl");
    } else if (type == kTypeInteger || type == kTypeWord) {
      Op2(st, "ld", "zl,X+");
      Op2(st, "ld", "zh,X");
      Op1(st, up ? "adiw" : "sbiw", "zl,0x01");
      Op2(st, "st", "X,zh");
      Op2(st, "st", "-X,zl");
    } else if (type == kTypeLong) {
      CompileError(st, longMessage);
      --st.src.TokenIndex;
    } else {
      CompileError(st, "Unsupported operation!");
      --st.src.TokenIndex;
    }
    ExpectToken(st, ")");
    return;
  }

  std::uint8_t type = 0;
  int local = 0;
  int global = 0;
  if (st.Tok().Kind == kTokName) {
    local = FindLocalVar(st, name);
    if (local != 0) type = st.sym.LocalVars[local - 1].VarType;
    else if ((global = FindGlobalVar(st, name)) != 0) type = st.sym.GlobalVars[global].VarType;
  }
  if (local == 0 && global == 0) {
    CompileError(st, "Unknown identifier ");
    return;
  }
  const bool wide = type == kTypeInteger || type == kTypeWord;
  if (type == kTypeLong) {
    CompileError(st, longMessage);
    return;
  }
  if (type != kTypeByte && !wide) {
    CompileError(st, "Unsupported operation!");
    return;
  }
  if (local != 0) {
    const int d = FrameDisplacement(st, local);
    Op2(st, "ldd", "zl,y+" + std::to_string(d));
    if (wide) Op2(st, "ldd", "zh,y+" + std::to_string(d + 1));
  } else {
    Op2(st, "lds", "zl," + name);
    if (wide) Op2(st, "lds", "zh," + name + "+1");
  }
  if (wide)
    Op1(st, up ? "adiw" : "sbiw", up ? "zl,1" : "zl,0x01");
  else
    Op2(st, up ? "inc" : "dec", "zl");
  if (local != 0) {
    const int d = FrameDisplacement(st, local);
    Op2(st, "std", "y+" + std::to_string(d) + ",zl");
    if (wide) Op2(st, "std", "y+" + std::to_string(d + 1) + ",zh");
  } else {
    Op2(st, "sts", name + ",zl");
    if (wide) Op2(st, "sts", name + "+1,zh");
  }
  ++st.src.TokenIndex;
}

}  // namespace

void CompileWaitUsStatement(CompilerState& st) {
  st.used.Set(NeedWaitMicro);
  CompileDelay(st, "_Wmu");
}

void CompileWaitMsStatement(CompilerState& st) {
  st.used.Set(NeedWaitMs);
  CompileDelay(st, "_Wms");
}

void CompileWaitStatement(CompilerState& st) {
  st.used.Set(NeedWaitS);
  st.used.Set(NeedWaitMs);
  CompileDelay(st, "_Ws");
}

void CompileIncrStatement(CompilerState& st) { CompileStep(st, true); }
void CompileDecrStatement(CompilerState& st) { CompileStep(st, false); }

}  // namespace qbc
