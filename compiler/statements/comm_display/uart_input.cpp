#include "compiler/statements/comm_display/uart_input.h"

#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/array_elements.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/statements/comm_display/uart_ports.h"
#include "compiler/statements/comm_display/uart_print.h"

namespace qbc {

namespace {

constexpr std::string_view kCannotRead = "Can not read into this variable!";

bool WideRam(const CompilerState& st) { return st.dev.RamEnd > 255; }

bool IsNumber16(std::uint8_t t) { return t == kTypeByte || t == kTypeInteger || t == kTypeWord; }

// An unreadable target: reported, the rest of the statement is passed over.
void RejectTarget(CompilerState& st, std::string_view message) {
  CompileError(st, message);
  SkipToStatementEnd(st);
}

// Entered on an array name directly followed by "(": X = the element's address from the
// whole index. Leaves TokenIndex after the ")". Returns the element type, or 0 after an
// error.
std::uint8_t ElementAddressIntoX(CompilerState& st, std::string_view notArray) {
  const std::string name = st.TokText();
  const int g = FindGlobalVar(st, name);
  if (g == 0) {
    RejectTarget(st, notArray);
    return 0;
  }
  const std::uint8_t type = st.sym.GlobalVars[g].VarType;
  if (st.sym.GlobalVars[g].Storage == kStorageFlash) {
    RejectTarget(st, kCannotRead);  // a table in flash cannot be written
    return 0;
  }
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  const bool wide = WideRam(st);
  st.sticky.WantedType = wide ? kTypeWord : kTypeByte;
  ParseSum(st);
  ExpectToken(st, ")");
  if (wide && st.sticky.WantedType == kTypeByte) st.out.Instr(Sep::kWide, "clr", "zh");
  if (type == kTypeInteger || type == kTypeWord) {
    st.out.Instr(Sep::kWide, "lsl", "zl");
    if (wide) st.out.Instr(Sep::kWide, "rol", "zh");
  }
  EmitArrayElementAddress(st, name);
  st.out.Instr(Sep::kWide, "mov", "xl,zl");
  st.out.Instr(Sep::kWide, wide ? "mov" : "clr", wide ? "xh,zh" : "xh");
  return type;
}

// A plain variable named by the current token: a local of the current procedure or a
// global.
struct NamedTarget {
  std::string name;
  int local = 0;   // FindLocalVar's result
  int global = 0;  // FindGlobalVar's result
  std::uint8_t type = 0;
};

// False (reported) when the name is neither.
bool FindTarget(CompilerState& st, NamedTarget& t, const std::string& unknown) {
  t.name = st.TokText();
  t.local = FindLocalVar(st, t.name);
  t.global = t.local != 0 ? 0 : FindGlobalVar(st, t.name);
  if (t.local == 0 && t.global == 0) {
    CompileError(st, unknown + t.name);
    return false;
  }
  t.type = t.local != 0 ? st.sym.LocalVars[t.local - 1].VarType : st.sym.GlobalVars[t.global].VarType;
  // Values in flash cannot be written: no type the statements store.
  if (t.global != 0 && st.sym.GlobalVars[t.global].Storage == kStorageFlash) t.type = kTypeNone;
  ++st.src.TokenIndex;
  st.sticky.OperandType = t.type;
  st.sticky.WantedType = t.type;
  return true;
}

// The number in zl (zh) into the element at X.
void StoreElement(CompilerState& st, std::uint8_t type) {
  if (type == kTypeByte) {
    st.out.Instr(Sep::kWide, "st", "X,zl");
    return;
  }
  st.out.Instr(Sep::kWide, "st", "X+,zl");
  st.out.Instr(Sep::kWide, "st", "X,zh");
}

// Text address of a string local into X.
void LocalStringIntoX(CompilerState& st, const LocalVarRecord& v) {
  const int disp = FrameReadDisplacement(st, v);
  st.out.Instr(Sep::kWide, "ldd", "xl,y+" + std::to_string(disp));
  if (WideRam(st))
    st.out.Instr(Sep::kWide, "ldd", "xh,y+" + std::to_string(disp + 1));
  else
    st.out.Instr(Sep::kWide, "clr", "xh");
}

void LoadStringTarget(CompilerState& st, const std::string& name, int length) {
  st.out.Instr(Sep::kWide, "ldi", "r25," + std::to_string(length));
  st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
  st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + name + ")");
}

// ---- Input ------------------------------------------------------------------------------

void ReadNumber(CompilerState& st, const UartPort& port, UsedFlag strToNum) {
  CallLibrary(st, UartLabel(port, "_Input"), port.input);
  CallLibrary(st, "_StrNm", strToNum);
}

void EmitInputArrayElement(CompilerState& st, const UartPort& port) {
  const std::uint8_t type = ElementAddressIntoX(st, "This is not an array!");
  if (type == 0) return;
  if (!IsNumber16(type)) {
    RejectTarget(st, kCannotRead);
    return;
  }
  // The line input and the conversion use X.
  st.out.Instr(Sep::kNarrow, "push", "xl");
  if (WideRam(st)) st.out.Instr(Sep::kNarrow, "push", "xh");
  ReadNumber(st, port, NeedStrToNum);
  if (WideRam(st)) st.out.Instr(Sep::kWide, "pop", "xh");
  st.out.Instr(Sep::kWide, "pop", "xl");
  StoreElement(st, type);
}

void EmitInputNamed(CompilerState& st, const UartPort& port) {
  NamedTarget t;
  if (!FindTarget(st, t, "Unknown identifier ")) return;
  if (t.type == kTypeLong) {
    RejectTarget(st, "Not for Long!");
    return;
  }
  if (t.type != kTypeString && !IsNumber16(t.type)) {
    RejectTarget(st, kCannotRead);
    return;
  }
  if (t.type == kTypeString) {
    if (t.local != 0) {
      const LocalVarRecord& v = st.sym.LocalVars[t.local - 1];
      st.out.Instr(Sep::kWide, "ldi", "r25," + std::to_string(v.StrLen - 1));  // StrLen counts the 0 byte
      LocalStringIntoX(st, v);
    } else {
      LoadStringTarget(st, t.name, st.sym.GlobalVars[t.global].Size - 1);
    }
    CallLibrary(st, UartStringInputLabel(port), port.input);
    return;
  }
  if (t.local != 0) {
    ReadNumber(st, port, NeedStrToNum);
    EmitStoreFrameVar(st, t.name, "zl");
  } else {
    ReadNumber(st, port, port.strToNum);
    EmitStoreVariable(st, t.name, "zl");
  }
}

// ---- InputBin ---------------------------------------------------------------------------

void Receive(CompilerState& st, const UartPort& port) { CallLibrary(st, UartLabel(port, "_GetCh"), port.getChar); }

// The bytes of a number of `type`, most significant first, into zl, zh, r18, r19.
void ReceiveNumber(CompilerState& st, const UartPort& port, std::uint8_t type) {
  if (type == kTypeLong) {
    Receive(st, port);
    st.out.Instr(Sep::kWide, "mov", "r19,zl");
    Receive(st, port);
    st.out.Instr(Sep::kWide, "mov", "r18,zl");
  }
  if (type != kTypeByte) {
    Receive(st, port);
    st.out.Instr(Sep::kWide, "mov", "zh,zl");
  }
  Receive(st, port);
}

// Bytes up to a 0 byte or the string's length; the text is always closed.
void ReceiveString(CompilerState& st, const UartPort& port, const std::string& name, int length) {
  LoadStringTarget(st, name, length);
  const std::string loop = NewLabel(st);
  const std::string done = NewLabel(st);
  EmitLabel(st, loop);
  Receive(st, port);
  st.out.Instr(Sep::kWide, "tst", "zl");
  st.out.Instr(Sep::kNarrow, "breq", done);
  st.out.Instr(Sep::kWide, "dec", "r25");
  st.out.Instr(Sep::kNarrow, "breq", done);
  st.out.Instr(Sep::kWide, "st", "X+,zl");
  st.out.Instr(Sep::kNarrow, "rjmp", loop);
  EmitLabel(st, done);
  st.out.Instr(Sep::kWide, "st", "X+,zl");
  st.out.Instr(Sep::kWide, "clr", "zl");
  st.out.Instr(Sep::kWide, "st", "X,zl");
}

void EmitInputBinTarget(CompilerState& st, const UartPort& port) {
  if (st.Tok().Kind == kTokCallName) {
    const std::uint8_t type = ElementAddressIntoX(st, "Is this array?");
    if (type == 0) return;
    if (!IsNumber16(type)) {
      RejectTarget(st, kCannotRead);
      return;
    }
    ReceiveNumber(st, port, type);
    StoreElement(st, type);
    return;
  }
  if (st.Tok().Kind != kTokName) {
    RejectTarget(st, "Must be variable or array element!");
    return;
  }
  NamedTarget t;
  if (!FindTarget(st, t, "Unknown identifier  ")) return;
  const bool number = IsNumber16(t.type) || t.type == kTypeLong;
  // A string local has no length the receive loop could count down from here.
  if (!number && !(t.type == kTypeString && t.local == 0)) {
    RejectTarget(st, kCannotRead);
    return;
  }
  if (t.type == kTypeString) {
    ReceiveString(st, port, t.name, st.sym.GlobalVars[t.global].Size - 1);
    return;
  }
  ReceiveNumber(st, port, t.type);
  if (t.local != 0)
    EmitStoreFrameVar(st, t.name, "zl");
  else
    EmitStoreVariable(st, t.name, "zl");
}

}  // namespace

void CompileInputStatement(CompilerState& st, int uart) {
  if (!StartUartStatement(st, uart, "Not supported yet: INPUT #")) return;
  const UartPort& port = UartPortOf(uart);
  for (;;) {
    if (st.Tok().Kind == kTokString) {
      EmitPrintItems(st, uart, false);
      if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    }
    CheckBaudSet(st, static_cast<std::uint8_t>(uart));
    if (st.Tok().Kind == kTokCallName)
      EmitInputArrayElement(st, port);
    else if (st.Tok().Kind == kTokName)
      EmitInputNamed(st, port);
    else
      RejectTarget(st, "Must be variable or array element!");
    st.used.Set(port.input);
    if (st.Tok().Kind != kTokComma) break;
    ++st.src.TokenIndex;
  }
}

void CompileInputBinStatement(CompilerState& st, int uart) {
  if (!StartUartStatement(st, uart, "Not supported yet: INPUTBIN #")) return;
  const UartPort& port = UartPortOf(uart);
  CheckBaudSet(st, static_cast<std::uint8_t>(uart));
  while (!AtUartListEnd(st)) {
    if (st.TokText(1) == ",") {
      EmitUartBlockCall(st, UartLabel(port, "_IBAll"), port.inputBinAll);
      st.used.Set(port.getChar);
      continue;
    }
    if (st.Tok().Kind == kTokString) {
      // A prompt: sent as it stands, without a line end.
      st.sticky.WantedType = 0;
      ParseSum(st);
      EmitPrintValue(st, uart, false);
      st.used.Set(port.crlf);
      if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    }
    EmitInputBinTarget(st, port);
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    st.used.Set(port.getChar);
  }
}

}  // namespace qbc
