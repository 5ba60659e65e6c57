#include "compiler/statements/math/memory_blocks.h"

#include <string>

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/operand_store.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/statements/math/function_result.h"

namespace qbc {

namespace {

// Pointers take a high byte where the SRAM reaches beyond 255.
bool WideAddress(const CompilerState& st) { return st.dev.RamEnd > 255; }
std::uint8_t AddressType(const CompilerState& st) { return WideAddress(st) ? kTypeWord : kTypeByte; }

void PushAddress(CompilerState& st) {
  st.out.Instr(Sep::kNarrow, "push", "zl");
  if (WideAddress(st)) st.out.Instr(Sep::kNarrow, "push", "zh");
}

void PopAddressIntoX(CompilerState& st) {
  if (WideAddress(st)) st.out.Instr(Sep::kWide, "pop", "xh");
  st.out.Instr(Sep::kWide, "pop", "xl");
}

// A number or a variable standing alone as the argument: loading it leaves X as it is
// (an array element, a string or a function may read through X).
bool LeavesXAlone(CompilerState& st) {
  const std::uint8_t kind = st.Tok().Kind;
  const std::string& next = st.TokText(1);
  return (kind == kTokNumber || kind == kTokName) && (next == "," || next == ")");
}

// The SRAM address of the variable named by the current token into Z; steps past it. A
// local or parameter lies in the frame; a string parameter's slot holds its text's address.
void LoadVariableAddressZ(CompilerState& st) {
  const int k = FindLocalVar(st, st.TokText());
  if (k == 0 || st.sym.LocalVars[k - 1].VarType == kTypeString || st.sym.LocalVars[k - 1].Storage == kStorageFlash) {
    EmitLoadVarAddress(st, "z", kTypeWord);
    return;
  }
  // Y plus the displacement, added as the subtraction of its negative
  const int minus = -FrameReadDisplacement(st, st.sym.LocalVars[k - 1]) & 0xFFFF;
  st.out.Instr(Sep::kWide, "mov", "zl,yl");
  st.out.Instr(Sep::kWide, "mov", "zh,yh");
  st.out.Instr(Sep::kWide, "subi", "zl," + Dec(minus & 0xFF));
  st.out.Instr(Sep::kWide, "sbci", "zh," + Dec(minus >> 8));
  ++st.src.TokenIndex;
}

// The block's address into Z: a variable named alone stands for its own address, anything
// else is an address value.
void LoadBlockAddressZ(CompilerState& st) {
  if (st.Tok().Kind == kTokName && st.TokText(1) == ",") {
    LoadVariableAddressZ(st);
    return;
  }
  kit::LoadValue(st, AddressType(st));
}

// The address in Z goes to X, the count after it into zl as `countType`.
void LoadCountKeepingAddress(CompilerState& st, std::uint8_t countType) {
  if (LeavesXAlone(st)) {
    st.out.Instr(Sep::kWide, "mov", "xl,zl");
    if (WideAddress(st)) st.out.Instr(Sep::kWide, "mov", "xh,zh");
    kit::LoadValue(st, countType);
    return;
  }
  PushAddress(st);
  kit::LoadValue(st, countType);
  PopAddressIntoX(st);
}

// A call whose routine would take a count of 0 for 256 (or 65536) bytes: nothing is done
// for 0. `test` is the line that sets the zero flag by the count.
void CallUnlessNone(CompilerState& st, const std::string& test, const char* routine, UsedFlag flag) {
  const std::string done = NewLabel(st);
  st.out.Instr(Sep::kWide, "tst", test);
  st.out.Instr(Sep::kNarrow, "breq", done);
  CallLibrary(st, routine, flag);
  EmitLabel(st, done);
}

// Keyword "(" address "," count ")": the routine takes the address in X, a byte count in zl.
void CallOverBlock(CompilerState& st, void (*loadAddress)(CompilerState&), const char* routine, UsedFlag flag) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  loadAddress(st);
  kit::ExpectComma(st);
  LoadCountKeepingAddress(st, kTypeByte);
  CallLibrary(st, routine, flag);
  ExpectToken(st, ")");
}

}  // namespace

void CompileMemFillStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  kit::LoadValue(st, AddressType(st));
  PushAddress(st);
  kit::ExpectComma(st);
  // the count takes as many bytes as an address: a block may be as long as the SRAM
  kit::LoadValue(st, AddressType(st));
  PushAddress(st);
  kit::ExpectComma(st);
  // the value as a byte: a wider one would take zh
  kit::LoadValue(st, kTypeByte);
  if (WideAddress(st)) {
    st.out.Instr(Sep::kWide, "pop", "r25");
    st.out.Instr(Sep::kWide, "pop", "r24");
    PopAddressIntoX(st);
    CallLibrary(st, "_MfW", NeedMfil);
  } else {
    st.out.Instr(Sep::kWide, "pop", "zh");
    PopAddressIntoX(st);
    CallUnlessNone(st, "zh", "_Mfil", NeedMfil);
  }
  ExpectToken(st, ")");
}

void CompileMemCopyStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  // the count in its own type, as a number of bytes
  kit::LoadValue(st, AddressType(st));
  PushAddress(st);
  kit::ExpectComma(st);
  // a variable named as source or destination holds an address (one set from VarPtr)
  st.expr.MemCopyMode = true;
  kit::LoadValue(st, AddressType(st));
  PushAddress(st);
  kit::ExpectComma(st);
  kit::LoadValue(st, AddressType(st));
  st.expr.MemCopyMode = false;
  PopAddressIntoX(st);
  if (WideAddress(st)) st.out.Instr(Sep::kWide, "pop", "r25");
  st.out.Instr(Sep::kWide, "pop", "r24");
  CallLibrary(st, "_MemC", NeedMemCopy);
  ExpectToken(st, ")");
}

void CompileSortStatement(CompilerState& st) {
  // The block is sorted in place: a flash table's address would be taken for an SRAM one.
  if (const int g = st.TokText(1) == "(" ? FindGlobalVar(st, st.TokText(2)) : 0;
      g != 0 && !WritableGlobal(st, st.sym.GlobalVars[g])) {
    SkipToStatementEnd(st);
    return;
  }
  CallOverBlock(st, LoadVariableAddressZ, "_Sort", NeedSort);
}

std::uint8_t CompileCrc8Function(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  CallOverBlock(st, LoadBlockAddressZ, "_Crc8", NeedCrc8);
  return result.Yield(kTypeByte);
}

std::uint8_t CompileVarPtrFunction(CompilerState& st, std::uint8_t wanted) {
  FunctionResult result(st, wanted);
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  LoadVariableAddressZ(st);
  ExpectToken(st, ")");
  return result.Yield(kTypeWord);
}

void CompileMemLoadStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "(");
  // an address taken by VarPtr is a word whatever the items are: they stay bytes
  const bool pointer = LowerText(st.TokText()) == "varptr";
  const std::uint8_t first = ParseSum(st, kTypeNone);
  const std::uint8_t width = pointer ? std::uint8_t{kTypeByte} : first;
  st.out.Instr(Sep::kWide, "mov", "xl,zl");
  if (WideAddress(st)) st.out.Instr(Sep::kWide, "mov", "xh,zh");
  while (st.TokText() == ",") {
    ++st.src.TokenIndex;
    if (st.Tok().Kind == kTokString) {
      ParseSum(st, kTypeNone);  // the text itself, not a number
      // the text whole (up to 254 characters) and its terminator
      st.out.Instr(Sep::kWide, "ser", "r20");
      CallLibrary(st, "_StStC", NeedStoreStrConst);
      st.out.Instr(Sep::kWide, "clr", "zl");
      if (width >= kTypeInteger && width <= kTypeLong) st.out.Instr(Sep::kWide, "clr", "zh");
      if (width == kTypeLong) {
        st.out.Instr(Sep::kWide, "clr", "r18");
        st.out.Instr(Sep::kWide, "clr", "r19");
      }
    } else {
      const bool keepX = !LeavesXAlone(st);
      if (keepX) {
        st.out.Instr(Sep::kNarrow, "push", "xl");
        st.out.Instr(Sep::kNarrow, "push", "xh");
      }
      ParseSum(st, width);
      if (keepX) {
        st.out.Instr(Sep::kWide, "pop", "xh");
        st.out.Instr(Sep::kWide, "pop", "xl");
      }
    }
    st.out.Instr(Sep::kWide, "st", "X+,zl");
    if (width >= kTypeInteger && width <= kTypeLong) st.out.Instr(Sep::kWide, "st", "X+,zh");
    if (width == kTypeLong) {
      st.out.Instr(Sep::kWide, "st", "X+,r18");
      st.out.Instr(Sep::kWide, "st", "X+,r19");
    }
  }
  ExpectToken(st, ")");
}

}  // namespace qbc
