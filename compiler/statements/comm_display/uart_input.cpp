#include "compiler/statements/comm_display/uart_input.h"

#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/flags/soft_com_flags.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/array_elements.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/statements/comm_display/uart_ports.h"
#include "compiler/statements/comm_display/soft_com_channel.h"
#include "compiler/statements/comm_display/soft_com_print.h"
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
// `wanted` goes out as the type the index went on in (when it was compiled).
std::uint8_t ElementAddressIntoX(CompilerState& st, std::string_view notArray, std::uint8_t& wanted) {
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
  // (a number wanted goes on in the wanted type: the loads have widened it)
  wanted = ParseSum(st, wide ? kTypeWord : kTypeByte);
  ExpectToken(st, ")");
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

// False (reported) when the name is neither. `wanted` goes out as the target's type.
bool FindTarget(CompilerState& st, NamedTarget& t, const std::string& unknown, std::uint8_t& wanted) {
  t.name = st.TokText();
  t.local = FindLocalVar(st, t.name);
  t.global = t.local != 0 ? 0 : FindGlobalVar(st, t.name);
  if (t.local == 0 && t.global == 0) {
    CompileError(st, unknown + SourceName(t.name));
    return false;
  }
  t.type = t.local != 0 ? st.sym.LocalVars[t.local - 1].VarType : st.sym.GlobalVars[t.global].VarType;
  // Values in flash cannot be written: no type the statements store.
  if (t.global != 0 && st.sym.GlobalVars[t.global].Storage == kStorageFlash) t.type = kTypeNone;
  ++st.src.TokenIndex;
  st.sticky.OperandType = t.type;
  wanted = t.type;
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

// Where a statement's input comes from: a hardware UART or a software Com channel.
struct InputSource {
  int uart = 0;  // the hardware UART; with com set, none
  int com = 0;   // the software channel 1 to 4, 0 for a hardware UART
  std::string lineInput;     // _Input, _SICn: a line into the input buffer
  std::string stringInput;   // _InSt00, _InSn: a line into the string at X
  std::string receive;       // _GetCh, _ComnI: one byte into zl
  std::string blockReceive;  // _IBAll, _ISBAn: zl bytes into X on
  UsedFlag lineFlag;         // the line input (and the receiver it calls)
  UsedFlag globalStrToNum;   // the conversion, for a global number
  UsedFlag receiveFlag;
  UsedFlag blockFlag;
  bool longs = true;  // InputBin reads a long
};

InputSource HardwareSource(int uart) {
  const UartPort& port = UartPortOf(uart);
  return {uart,         0,          UartLabel(port, "_Input"), UartStringInputLabel(port),
          UartLabel(port, "_GetCh"), UartLabel(port, "_IBAll"), port.input,     port.strToNum,
          port.getChar, port.inputBinAll, true};
}

// The channel's receiver is written for the channel's InputUsed; its call brings in the
// tick wait that times it. A long would need four receptions the channel routines have
// no store for.
InputSource SoftSource(int com) {
  return {0, com, ComLabel("_SIC", com), ComLabel("_InS", com), ComLabel("_Com", com, "I"), ComLabel("_ISBA", com),
          kSoftInput[com - 1], kSoftInput[com - 1], NeedWaitTicks, kSoftInputBinAll[com - 1], false};
}

// ---- Input ------------------------------------------------------------------------------

void ReadNumber(CompilerState& st, const InputSource& src, UsedFlag strToNum) {
  CallLibrary(st, src.lineInput, src.lineFlag);
  CallLibrary(st, "_StrNm", strToNum);
}

void EmitInputArrayElement(CompilerState& st, const InputSource& src) {
  std::uint8_t index = kTypeNone;
  const std::uint8_t type = ElementAddressIntoX(st, "This is not an array!", index);
  if (type == 0) return;
  if (!IsNumber16(type)) {
    RejectTarget(st, kCannotRead);
    return;
  }
  // The line input and the conversion use X.
  st.out.Instr(Sep::kNarrow, "push", "xl");
  if (WideRam(st)) st.out.Instr(Sep::kNarrow, "push", "xh");
  ReadNumber(st, src, NeedStrToNum);
  if (WideRam(st)) st.out.Instr(Sep::kWide, "pop", "xh");
  st.out.Instr(Sep::kWide, "pop", "xl");
  StoreElement(st, type);
}

void EmitInputNamed(CompilerState& st, const InputSource& src) {
  NamedTarget t;
  std::uint8_t type = kTypeNone;
  if (!FindTarget(st, t, "Unknown identifier ", type)) return;
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
    CallLibrary(st, src.stringInput, src.lineFlag);
    return;
  }
  if (t.local != 0) {
    ReadNumber(st, src, NeedStrToNum);
    EmitStoreFrameVar(st, t.name, "zl", t.type);
  } else {
    ReadNumber(st, src, src.globalStrToNum);
    EmitStoreVariable(st, t.name, "zl", t.type);
  }
}

// ---- InputBin ---------------------------------------------------------------------------

void Receive(CompilerState& st, const InputSource& src) { CallLibrary(st, src.receive, src.receiveFlag); }

// The bytes of a number of `type`, most significant first, into zl, zh, r18, r19.
void ReceiveNumber(CompilerState& st, const InputSource& src, std::uint8_t type) {
  if (type == kTypeLong) {
    Receive(st, src);
    st.out.Instr(Sep::kWide, "mov", "r19,zl");
    Receive(st, src);
    st.out.Instr(Sep::kWide, "mov", "r18,zl");
  }
  if (type != kTypeByte) {
    Receive(st, src);
    st.out.Instr(Sep::kWide, "mov", "zh,zl");
  }
  Receive(st, src);
}

// Bytes up to a 0 byte or the string's length; the text is always closed.
void ReceiveString(CompilerState& st, const InputSource& src, const std::string& name, int length) {
  LoadStringTarget(st, name, length);
  const std::string loop = NewLabel(st);
  const std::string done = NewLabel(st);
  EmitLabel(st, loop);
  Receive(st, src);
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

// `wanted` as for ElementAddressIntoX and FindTarget.
void EmitInputBinTarget(CompilerState& st, const InputSource& src, std::uint8_t& wanted) {
  if (st.Tok().Kind == kTokCallName) {
    const std::uint8_t type = ElementAddressIntoX(st, "Is this array?", wanted);
    if (type == 0) return;
    if (!IsNumber16(type)) {
      RejectTarget(st, kCannotRead);
      return;
    }
    ReceiveNumber(st, src, type);
    StoreElement(st, type);
    return;
  }
  if (st.Tok().Kind != kTokName) {
    RejectTarget(st, "Must be variable or array element!");
    return;
  }
  NamedTarget t;
  if (!FindTarget(st, t, "Unknown identifier  ", wanted)) return;
  if (t.type == kTypeLong && !src.longs) {
    RejectTarget(st, "Not for Long!");
    return;
  }
  const bool number = IsNumber16(t.type) || t.type == kTypeLong;
  // A string local has no length the receive loop could count down from here.
  if (!number && !(t.type == kTypeString && t.local == 0)) {
    RejectTarget(st, kCannotRead);
    return;
  }
  if (t.type == kTypeString) {
    ReceiveString(st, src, t.name, st.sym.GlobalVars[t.global].Size - 1);
    return;
  }
  ReceiveNumber(st, src, t.type);
  if (t.local != 0)
    EmitStoreFrameVar(st, t.name, "zl", t.type);
  else
    EmitStoreVariable(st, t.name, "zl", t.type);
}

// The InputBin list of `src`, entered on its first item.
void EmitInputBinList(CompilerState& st, const InputSource& src) {
  // (the type the last value went on in, which the address of a counted form is loaded as)
  std::uint8_t wanted = kTypeNone;
  while (!AtUartListEnd(st)) {
    if (st.TokText(1) == ",") {
      wanted = EmitUartBlockCall(st, src.blockReceive, src.blockFlag, wanted);
      st.used.Set(src.receiveFlag);
      continue;
    }
    if (st.Tok().Kind == kTokString) {
      // A prompt: sent as it stands, without a line end, on the statement's own channel.
      const int start = st.src.TokenIndex;
      wanted = ParseSum(st, kTypeNone);
      if (src.com == 0) {
        EmitPrintValue(st, src.uart, false, start, wanted);
        st.used.Set(UartPortOf(src.uart).crlf);
      } else if (ComOpenFor(st, src.com, ComDirection::kOutput)) {
        EmitSoftPrintValue(st, src.com, wanted);
        MarkComUsed(st, src.com, ComDirection::kOutput);
      }
      if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    }
    EmitInputBinTarget(st, src, wanted);
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    st.used.Set(src.receiveFlag);
  }
}

void EmitInputTarget(CompilerState& st, const InputSource& src) {
  if (st.Tok().Kind == kTokCallName)
    EmitInputArrayElement(st, src);
  else if (st.Tok().Kind == kTokName)
    EmitInputNamed(st, src);
  else
    RejectTarget(st, "Must be variable or array element!");
}

// Input #n, target: one line from the software channel.
void CompileSoftInputStatement(CompilerState& st) {
  const int com = ReadSoftChannel(st, ComDirection::kInput, "Must be numeric constant");
  if (com == 0) return;
  MarkComUsed(st, com, ComDirection::kInput);
  kit::ExpectComma(st);
  const InputSource src = SoftSource(com);
  EmitInputTarget(st, src);
  st.used.Set(src.lineFlag);
}

// InputBin #1 with $com1: the byte received last, into global bytes.
void CompileInterruptInputBin(CompilerState& st) {
  if (!ReadInterruptChannel(st)) return;
  kit::ExpectComma(st);
  while (!AtUartListEnd(st)) {
    NamedTarget t;
    std::uint8_t type = kTypeNone;
    if (st.Tok().Kind != kTokName || !FindTarget(st, t, "Unknown identifier ", type)) {
      if (st.Tok().Kind != kTokName) RejectTarget(st, "Not possible with $com1!");
      return;
    }
    if (t.global == 0 || t.type != kTypeByte) {
      RejectTarget(st, "Not possible with $com1!");
      return;
    }
    st.out.Instr(Sep::kWide, "lds", "zl,_UArx");
    EmitStoreVariable(st, t.name, "zl", t.type);
    if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
  }
}

// InputBin #n, list: raw bytes from the software channel.
void CompileSoftInputBinStatement(CompilerState& st) {
  if (InterruptUartConfigured(st)) {
    CompileInterruptInputBin(st);
    return;
  }
  const int com = ReadSoftChannel(st, ComDirection::kInput, "Must be numeric constant");
  if (com == 0) return;
  MarkComUsed(st, com, ComDirection::kInput);
  kit::ExpectComma(st);
  EmitInputBinList(st, SoftSource(com));
}

}  // namespace

void CompileInputStatement(CompilerState& st, int uart) {
  if (!StartUartStatement(st, uart, CompileSoftInputStatement)) return;
  const InputSource src = HardwareSource(uart);
  for (;;) {
    if (st.Tok().Kind == kTokString) {
      EmitPrintItems(st, uart, false);
      if (st.Tok().Kind == kTokSemicolon) ++st.src.TokenIndex;
    }
    CheckBaudSet(st, static_cast<std::uint8_t>(uart));
    EmitInputTarget(st, src);
    st.used.Set(src.lineFlag);
    if (st.Tok().Kind != kTokComma) break;
    ++st.src.TokenIndex;
  }
}

void CompileInputBinStatement(CompilerState& st, int uart) {
  if (!StartUartStatement(st, uart, CompileSoftInputBinStatement)) return;
  CheckBaudSet(st, static_cast<std::uint8_t>(uart));
  EmitInputBinList(st, HardwareSource(uart));
}

}  // namespace qbc
