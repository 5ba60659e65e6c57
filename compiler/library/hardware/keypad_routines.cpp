#include "compiler/library/hardware/keypad_routines.h"

#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/flags/hardware_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/statements/peripherals/keypad_cells.h"

namespace qbc {

namespace {

// Each port register is read and written in the form its own address needs: the ports of
// the extended I/O space (PORTF of the ATmega128, H to L of the ATmega2560) by lds/sts,
// while their PIN register may still lie in the I/O space.
void ReadPort(CompilerState& st, const std::string& dest, const std::string& reg) {
  EmitRegisterRead(st, UpperText(reg), dest, Reach::kInOut);
}

void WritePort(CompilerState& st, const std::string& reg, const std::string& src) {
  EmitRegisterWrite(st, UpperText(reg), src, Reach::kInOut);
}

struct KeyPorts {
  std::string r;   // row port letter
  std::string m;   // row mask, decimal
  std::string c;   // column port letter
  std::string cm;  // column mask, decimal
  std::string debounce;
};

KeyPorts PortsOf(const KeypadCells& keys) {
  KeyPorts p;
  p.r = KeyPortLetter(keys.KeyRowsPort);
  p.c = KeyPortLetter(keys.KeyColsPort);
  p.m = std::to_string(keys.KeyRowsMask);
  p.cm = std::to_string(keys.KeyColsMask);
  p.debounce = keys.KeyActiveHighText.empty() ? "zl,0x14" : "zl," + keys.KeyActiveHighText;
  return p;
}

// The lines of `letter`'s port lines `mask` made outputs driven low; `scratch` holds the
// inverted mask.
void DriveLow(CompilerState& st, const std::string& letter, const std::string& mask, const char* scratch) {
  const std::string s = scratch;
  ReadPort(st, "zl", "DDR" + letter);
  st.out.Instr(Sep::kWide, "ori", "zl," + mask);
  WritePort(st, "DDR" + letter, "zl");
  ReadPort(st, "zl", "PORT" + letter);
  st.out.Instr(Sep::kWide, "ldi", s + "," + mask);
  st.out.Instr(Sep::kWide, "com", s);
  st.out.Instr(Sep::kWide, "and", "zl," + s);
  WritePort(st, "PORT" + letter, "zl");
}

// The lines made inputs with pull-ups, the port's other lines kept.
void PullUp(CompilerState& st, const std::string& letter, const std::string& mask, const char* scratch) {
  const std::string s = scratch;
  ReadPort(st, "zl", "DDR" + letter);
  st.out.Instr(Sep::kWide, "ldi", s + "," + mask);
  st.out.Instr(Sep::kWide, "com", s);
  st.out.Instr(Sep::kWide, "and", "zl," + s);
  WritePort(st, "DDR" + letter, "zl");
  ReadPort(st, "zl", "PORT" + letter);
  st.out.Instr(Sep::kWide, "ori", "zl," + mask);
  WritePort(st, "PORT" + letter, "zl");
}

void Settle(CompilerState& st) {
  st.out.Instr(Sep::kWide, "ldi", "zl,0x02");
  st.out.Instr(Sep::kNarrow, "rcall", "_Wus");
}

// r24 = the row lines; `test` tells "no key" by the zero flag.
void ReadRows(CompilerState& st, const KeyPorts& p, bool activeHigh) {
  ReadPort(st, "r24", "PIN" + p.r);
  st.out.Instr(Sep::kNarrow, "andi", "r24," + p.m);
  if (activeHigh)
    st.out.Instr(Sep::kWide, "tst", "r24");
  else
    st.out.Instr(Sep::kWide, "cpi", "r24," + p.m);
}

// Debounce: the rows again after the wait; a change means no key.
void Debounce(CompilerState& st, const KeyPorts& p) {
  st.out.Instr(Sep::kWide, "ldi", p.debounce);
  st.out.Instr(Sep::kNarrow, "rcall", "_Wms");
}

void RereadRows(CompilerState& st, const KeyPorts& p) {
  ReadPort(st, "zl", "PIN" + p.r);
  st.out.Instr(Sep::kNarrow, "andi", "zl," + p.m);
  st.out.Instr(Sep::kWide, "cp", "r24,zl");
}

// To _Key1 unless `stay` holds. The matrix scan's first exits lie further from _Key1 than
// a branch reaches once its ports need lds/sts or a key signal follows: they jump.
void JumpToNoKey(CompilerState& st, const char* stay, const char* label) {
  st.out.Instr(Sep::kNarrow, stay, label);
  st.out.Instr(Sep::kNarrow, "rjmp", "_Key1");
  st.out.Label(label);
}

// The key signal, given only while the program's KeyBeep is not 0; zl is kept in r23.
void EmitKeyBeepCode(CompilerState& st) {
  const KeypadCells& keys = st.Cells<KeypadCells>();
  if (keys.KeyBeepMode != 1 && keys.KeyBeepMode != 2) return;
  st.out.Instr(Sep::kWide, "lds", "r23,KeyBeep");
  st.out.Instr(Sep::kWide, "cpi", "r23,0x00");
  st.out.Instr(Sep::kNarrow, "breq", "_KeyS");
  st.out.Instr(Sep::kWide, "mov", "r23,zl");
  if (keys.KeyBeepMode == 1) {
    // zl is free here: the key waits in r23.
    IoBit bit = PinBit(keys.KeyBeepPort, std::to_string(keys.KeyBeepArg1));
    bit.bit = SignedNumberText(keys.KeyBeepArg1);
    EmitBitChange(st, bit, keys.KeyActiveHigh, Flags::kMayChange, "zl");
    st.out.Instr(Sep::kWide, "ldi", "zl," + SignedNumberText(keys.KeyBeepArg2));
    st.out.Instr(Sep::kNarrow, "rcall", "_Wms");
    EmitBitChange(st, bit, !keys.KeyActiveHigh, Flags::kMayChange, "zl");
  } else {
    st.out.Instr(Sep::kWide, "ldi", "zh," + SignedNumberText(keys.KeyBeepArg1));
    st.out.Instr(Sep::kWide, "ldi", "zl," + SignedNumberText(keys.KeyBeepArg2));
    st.out.Instr(Sep::kNarrow, "rcall", "_Sound");
  }
  st.out.Instr(Sep::kWide, "mov", "zl,r23");
}

// The signal reads KeyBeep: without that byte the program would not assemble.
void CheckKeyBeepDeclared(CompilerState& st) {
  const std::uint8_t mode = st.Cells<KeypadCells>().KeyBeepMode;
  if (mode != 1 && mode != 2) return;
  const int i = FindGlobalVar(st, "keybeep");
  if (i == 0 || st.sym.GlobalVars[i].VarType != kTypeByte || st.sym.GlobalVars[i].Storage != kStorageSram)
    CompileError(st, "Key signal needs Dim KeyBeep As Byte!");
}

void EmitInLineForm(CompilerState& st, const KeyPorts& p, bool activeHigh) {
  st.out.Label("_KyIni");
  PullUp(st, p.r, p.m, "r24");
  st.out.Instr("ret");
  st.out.Label("_Key");
  ReadRows(st, p, activeHigh);
  st.out.Instr(Sep::kNarrow, "breq", "_Key1");
  Debounce(st, p);
  RereadRows(st, p);
  st.out.Instr(Sep::kNarrow, "brne", "_Key1");
  if (activeHigh) {
    st.out.Instr("ret");
  } else {
    EmitKeyBeepCode(st);
    st.out.Instr("_KeyS", Sep::kWide, "com", "zl");
    st.out.Instr(Sep::kNarrow, "andi", "zl," + p.m);
    st.out.Instr("ret");
  }
  st.out.Line();
  st.out.Line(";////// NoKey /////////////////////////");
  st.out.Label("_NKey");
  ReadRows(st, p, activeHigh);
  st.out.Instr(Sep::kNarrow, "breq", "_Kout");
  st.out.Instr(Sep::kNarrow, "rjmp", "_NKey");
}

// Columns driven low, rows pulled up: a pressed key pulls its row low.
void ScanSetUp(CompilerState& st, const KeyPorts& p) {
  DriveLow(st, p.c, p.cm, "r24");
  st.out.Line();
  PullUp(st, p.r, p.m, "r24");
  Settle(st);
  st.out.Line();
}

void EmitMatrixForm(CompilerState& st, const KeyPorts& p) {
  st.out.Label("_Key");
  ScanSetUp(st, p);
  ReadRows(st, p, false);
  JumpToNoKey(st, "brne", "_Key6");
  st.out.Line();
  Debounce(st, p);
  st.out.Line();
  RereadRows(st, p);
  JumpToNoKey(st, "breq", "_Key7");
  st.out.Instr(Sep::kWide, "com", "r24");
  st.out.Instr(Sep::kNarrow, "andi", "r24," + p.m);
  st.out.Line();
  // The other way round: rows driven low, columns pulled up; the pressed key's column
  // reads low.
  DriveLow(st, p.r, p.m, "r25");
  st.out.Line();
  PullUp(st, p.c, p.cm, "r25");
  Settle(st);
  st.out.Line();
  ReadPort(st, "zh", "PIN" + p.c);
  st.out.Instr(Sep::kWide, "com", "zh");
  st.out.Instr(Sep::kNarrow, "andi", "zh," + p.cm);
  st.out.Instr(Sep::kWide, "cpi", "zh,0");
  st.out.Instr(Sep::kNarrow, "breq", "_Key1");
  st.out.Line();
  // r25 = 1 + the lowest pressed row bit, zl = the lowest pressed column bit; the key is
  // 8 * zl + r25.
  st.out.Text(R"(\t\tclr\t\tr25
_Key2:\tinc\t\tr25
\t\tlsr\t\tr24
\t\tbrcs\t_Key3
\t\trjmp\t_Key2

_Key3:\tser\t\tzl
_Key4:\tinc\t\tzl
\t\tlsr\t\tzh
\t\tbrcs\t_Key5
\t\trjmp\t_Key4

_Key5:\tldi\t\tr24,0x08
\t\trcall\tMpy8u
\t\tadc\t\tzl,r25)");
  EmitKeyBeepCode(st);
  st.out.Instr("_KeyS", Sep::kWide, "ret");
}

// NoKey waits with the lines as a scan starts: every row high again means no key down.
// It follows the common exits, which the scan's branches must reach.
void EmitMatrixNoKey(CompilerState& st, const KeyPorts& p) {
  st.out.Line();
  st.out.Line(";////// NoKey /////////////////////////");
  st.out.Label("_NKey");
  ScanSetUp(st, p);
  st.out.Label("_NKey1");
  ReadRows(st, p, false);
  st.out.Instr(Sep::kNarrow, "brne", "_NKey1");
  st.out.Instr("ret");
}

}  // namespace

void EmitKeyRoutines(CompilerState& st) {
  const KeypadCells& keys = st.Cells<KeypadCells>();
  CheckKeyBeepDeclared(st);
  const KeyPorts p = PortsOf(keys);
  st.out.Line();
  st.out.Line(";////// Key ///////////////////////////");
  const bool matrix = KeypadIsMatrix(keys);
  // The routines the text calls, all written later in the link order: with or without a
  // Key() call in the program.
  st.used.Set(NeedWaitMs);
  if (matrix) {
    st.used.Set(NeedWaitUs);
    st.used.Set(NeedMul8u);
  }
  if (keys.KeyBeepMode == 2) {
    st.used.Set(NeedSound);
    st.used.Set(NeedWaitUs);
  }
  if (matrix)
    EmitMatrixForm(st, p);
  else
    EmitInLineForm(st, p, keys.KeyConfigured);
  st.out.Instr("_Key1", Sep::kWide, "clr", "zl");
  st.out.Instr("_Kout", Sep::kWide, "ret");
  if (matrix) EmitMatrixNoKey(st, p);
}

}  // namespace qbc
