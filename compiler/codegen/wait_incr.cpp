// WaitUs / WaitMs / Wait (microseconds, milliseconds, seconds) and Incr / Decr.
//
// The delay routines take a byte count in zl (0 waits nothing). A constant above 255 is
// refused. The microsecond routine takes a 16-bit count in zl:zh at a second entry; the
// millisecond and second routines are called 2 x 128 times per 256 units of a 16-bit count
// and once for its low byte.
#include <cstdlib>

#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/array_elements.h"
#include "compiler/codegen/binary_operators.h"
#include "compiler/codegen/compare_negate.h"
#include "compiler/codegen/conditions.h"
#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"

namespace qbc {

namespace {

// `wordRoutine`, when given, takes a word's count whole in zl:zh.
void CompileDelay(CompilerState& st, const char* routine, const char* wordRoutine = nullptr) {
  ++st.src.TokenIndex;
  const TokenRecord& t = st.Tok();
  const std::string& after = st.TokText(1);
  if (t.Kind == kTokNumber && (after == "<EOL>" || IsWord(st.Tok(1), ":")) &&
      t.Text.find_first_not_of("0123456789") == std::string::npos && std::strtoul(t.Text.c_str(), nullptr, 10) > 255) {
    CompileError(st, "Must be from 0 to 255!");
    return;
  }
  // A negative count would reach the routines as a count near 65536. A hexadecimal or
  // binary constant of four digits reads as negative from &H8000 on, but is the 16-bit
  // count it spells.
  if (const auto count = kit::ConstantArgument(st); count && *count < 0 && st.Tok().Kind != kTokAmpersand)
    ReportInPlace(st, "Must be from 0 to 255!");
  ParseSum(st, kTypeAnyNumber);
  switch (st.sticky.OperandType) {
    case kTypeBit:
    case kTypeByte:
      EmitCall(st, routine);
      break;
    case kTypeInteger:
    case kTypeWord: {
      if (wordRoutine != nullptr) {
        EmitCall(st, wordRoutine);
        break;
      }
      const std::string loop = NewLabel(st);
      const std::string last = NewLabel(st);
      EmitLabel(st, loop);
      st.out.Instr(Sep::kWide, "tst", "zh");
      st.out.Instr(Sep::kNarrow, "breq", last);
      st.out.Instr(Sep::kNarrow, "push", "zl");
      st.out.Instr(Sep::kNarrow, "push", "zh");
      st.out.Instr(Sep::kWide, "ldi", "zl,0x80");
      EmitCall(st, routine);
      st.out.Instr(Sep::kWide, "ldi", "zl,0x80");
      EmitCall(st, routine);
      st.out.Instr(Sep::kWide, "pop", "zh");
      st.out.Instr(Sep::kWide, "pop", "zl");
      st.out.Instr(Sep::kWide, "dec", "zh");
      st.out.Instr(Sep::kNarrow, "rjmp", loop);
      EmitLabel(st, last);
      EmitCall(st, routine);
      break;
    }
    default: {
      ReportInPlace(st, "Unsupported operation!");
      break;
    }
  }
}

// Incr (up) or Decr of a variable, a local, or an array element.
void CompileStep(CompilerState& st, bool up) {
  ++st.src.TokenIndex;
  const std::string name = st.TokText();
  const char* longMessage = up ? "Var Long can not be Incr!" : "Var Long can not be Decr!";

  if (st.Tok().Kind == kTokCallName) {
    const int g = FindGlobalVar(st, name);
    if (g == 0) {
      CompileError(st, up ? "This is not an array!" : "Is this array?");
      return;
    }
    if (!WritableGlobal(st, st.sym.GlobalVars[g])) {
      SkipToStatementEnd(st);
      return;
    }
    const std::uint8_t type = st.sym.GlobalVars[g].VarType;
    st.expr.CurrentVarType = type;
    ++st.src.TokenIndex;
    ExpectToken(st, "(");
    CheckConstantArrayIndex(st, st.sym.GlobalVars[g]);
    // the index as an assignment's target takes it; the address below adds zh too
    if (ParseSum(st, st.dev.RamEnd > 255 ? kTypeWord : kTypeByte) == kTypeByte) st.out.Instr(Sep::kWide, "clr", "zh");
    if (type == kTypeInteger || type == kTypeWord) {
      st.out.Instr(Sep::kWide, "lsl", "zl");
      st.out.Instr(Sep::kWide, "rol", "zh");
    }
    st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
    st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + name + ")");
    st.out.Instr(Sep::kWide, "add", "xl,zl");
    st.out.Instr(Sep::kWide, "adc", "xh,zh");
    if (type == kTypeByte) {
      st.out.Instr(Sep::kWide, "ld", "zl,X");
      st.out.Instr(Sep::kWide, up ? "inc" : "dec", "zl");
      st.out.Instr(Sep::kWide, "st", "X,zl");
    } else if (type == kTypeInteger || type == kTypeWord) {
      st.out.Instr(Sep::kWide, "ld", "zl,X+");
      st.out.Instr(Sep::kWide, "ld", "zh,X");
      st.out.Instr(Sep::kNarrow, up ? "adiw" : "sbiw", "zl,0x01");
      st.out.Instr(Sep::kWide, "st", "X,zh");
      st.out.Instr(Sep::kWide, "st", "-X,zl");
    } else if (type == kTypeLong) {
      ReportInPlace(st, longMessage);
    } else {
      ReportInPlace(st, "Unsupported operation!");
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
    CompileError(st, UnknownIdentifier(name));
    return;
  }
  if (global != 0 && !WritableGlobal(st, st.sym.GlobalVars[global])) {
    SkipToStatementEnd(st);
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
    st.out.Instr(Sep::kWide, "ldd", "zl,y+" + std::to_string(d));
    if (wide) st.out.Instr(Sep::kWide, "ldd", "zh,y+" + std::to_string(d + 1));
  } else {
    st.out.Instr(Sep::kWide, "lds", "zl," + name);
    if (wide) st.out.Instr(Sep::kWide, "lds", "zh," + name + "+1");
  }
  if (wide)
    st.out.Instr(Sep::kNarrow, up ? "adiw" : "sbiw", up ? "zl,1" : "zl,0x01");
  else
    st.out.Instr(Sep::kWide, up ? "inc" : "dec", "zl");
  if (local != 0) {
    const int d = FrameDisplacement(st, local);
    st.out.Instr(Sep::kWide, "std", "y+" + std::to_string(d) + ",zl");
    if (wide) st.out.Instr(Sep::kWide, "std", "y+" + std::to_string(d + 1) + ",zh");
  } else {
    st.out.Instr(Sep::kWide, "sts", name + ",zl");
    if (wide) st.out.Instr(Sep::kWide, "sts", name + "+1,zh");
  }
  ++st.src.TokenIndex;
}

}  // namespace

void CompileWaitUsStatement(CompilerState& st) {
  st.used.Set(NeedWaitMicro);
  CompileDelay(st, "_Wmu", "_WmuW");
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
