#include "compiler/codegen/bits_io.h"

#include "compiler/base/flags/core_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/labels.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

// The byte of variable `name` that holds bit `bit` (its address text) and the bit's number
// within that byte; a bit text that is no number stays as written.
void VarBitByte(CompilerState& st, const std::string& name, const std::string& bit, std::string& addr,
                std::string& b) {
  const int v = BitTextValue(st, bit);
  addr = name;
  b = v >= 0 ? Dec(v % 8) : bit;
  if (v >= 8 && v <= 31) addr = name + "+" + Dec(v / 8);
}

}  // namespace

void EmitVarBitPointer(CompilerState& st, const std::string& label, int frameDisplacement, int bytes) {
  auto hex = [](int v) { return "0x" + Hex2(static_cast<std::uint8_t>(v & 0xFF)); };
  st.out.Instr(Sep::kWide, "andi", "zl," + hex(bytes * 8 - 1));
  st.out.Instr(Sep::kWide, "mov", "xl,zl");
  for (int k = 0; k < 3; ++k) st.out.Instr(Sep::kWide, "lsr", "xl");
  st.out.Instr(Sep::kWide, "clr", "xh");
  if (label.empty()) {
    st.out.Instr(Sep::kWide, "add", "xl,yl");
    st.out.Instr(Sep::kWide, "adc", "xh,yh");
    const int minus = -frameDisplacement;
    st.out.Instr(Sep::kWide, "subi", "xl," + hex(minus));
    st.out.Instr(Sep::kWide, "sbci", "xh," + hex(minus >> 8));
  } else {
    // adds the label's address: subtracting its negation needs no spare register
    st.out.Instr(Sep::kWide, "subi", "xl,byte1(-(" + label + "))");
    st.out.Instr(Sep::kWide, "sbci", "xh,byte2(-(" + label + "))");
  }
  st.out.Instr(Sep::kWide, "andi", "zl,0x07");
  CallLibrary(st, "_VaBit", NeedBitMask);
}

void EmitLoadBitVar(CompilerState& st, const std::string& name, std::uint8_t wanted) {
  if (int g = FindGlobalVar(st, name); g != 0) {
    const int b = st.sym.GlobalVars[g].Size;
    if (b >= 0 && b <= 7)
      st.out.Instr(Sep::kWide, "bst", "r3," + Dec(b));
    else if (b >= 8 && b <= 15)
      st.out.Instr(Sep::kWide, "bst", "r4," + Dec(b - 8));
  }
  const std::uint8_t w = wanted;
  if (w == kTypeLong) {
    CompileError(st, "Not allowed for Long!");
    return;
  }
  // a bit wanted as a bit is also 0 or 1 in the low byte
  if (w >= kTypeBit && w <= kTypeWord)
    EmitBitAsNumber(st, st.sticky.SkipOperandPush ? kLeftRegisters : kWorkRegisters, w == kTypeBit ? std::uint8_t{kTypeByte} : w);
}

void EmitLoadBitOf(CompilerState& st, int bytes, const std::string& bit, const VarByteLoader& loadByte,
                   std::uint8_t wanted) {
  const std::uint8_t w = wanted == 0 ? st.sticky.OperandType : wanted;
  const bool s = st.sticky.SkipOperandPush;
  const std::string lo = s ? "r24" : "zl";

  const int v = BitTextValue(st, bit);
  if (v >= 8 * bytes) {
    // beyond the variable the bit would be read from the next one
    ReportInPlace(st, "From 0 to 7!");
  }
  if (w >= kTypeBit && w <= kTypeLong) {
    loadByte(lo, v >= 8 && v < 8 * bytes ? v / 8 : 0);
    st.out.Instr(Sep::kWide, "bst", lo + "," + (v >= 0 ? Dec(v % 8) : bit));
    // a bit operand of a logic operator is combined in bit 0, as a port bit is
    if (w == kTypeBit) EmitBitLogic(st);
    EmitBitAsNumber(st, s ? kLeftRegisters : kWorkRegisters, w);
  }
}

void EmitLoadVarBit(CompilerState& st, const std::string& name, const std::string& bit, std::uint8_t wanted) {
  const int g = FindGlobalVar(st, name);
  const int bytes = g != 0 ? VarTypeBytes(st.sym.GlobalVars[g].VarType) : 4;
  EmitLoadBitOf(st, bytes, bit, [&](const std::string& reg, int byteIndex) {
    st.out.Instr(Sep::kWide, "lds", reg + "," + ByteAddress(name, byteIndex));
  }, wanted);
}

void EmitLoadIoRegister(CompilerState& st, const std::string& name, std::uint8_t wanted) {
  const std::uint8_t w = wanted == 0 ? st.sticky.OperandType : wanted;
  const bool s = st.sticky.SkipOperandPush;
  if (w >= kTypeBit && w <= kTypeLong) {
    const ValueRegisters v = IntegerValue(w, s);
    EmitRegisterRead(st, UpperText(name), std::string(v.regs[0]), Reach::kInOut);
    EmitClearBytes(st, v, 1, v.bytes);
  }
}

void EmitLoadPortBit(CompilerState& st, const std::string& name, const std::string& bit, std::uint8_t wanted) {
  const std::string b = BitOperand(st, bit);
  RegisterBitOnDevice(st, name, BitTextValue(st, bit));
  // wanted in no particular type (a Select Case selector): the bit itself
  const std::uint8_t w = wanted == 0 ? std::uint8_t{kTypeBit} : wanted;
  if (w < kTypeBit || w > kTypeLong) return;
  const bool s = st.sticky.SkipOperandPush;
  const std::string lo = s ? "r24" : "zl";
  EmitRegisterRead(st, UpperText(name), lo, Reach::kInOut);
  st.out.Instr(Sep::kWide, "bst", lo + "," + b + st.out.CommentIndent + ";store zl,bit " + b + " to T flag");
  if (w == kTypeBit) EmitBitLogic(st);
  if (w >= kTypeByte) {
    st.out.Instr(Sep::kWide, "clr", lo);
    st.out.Instr(Sep::kWide, "bld", lo + ",0" + st.out.CommentIndent + ";store T flag to zl bit 0");
  }
  EmitClearBytes(st, IntegerValue(w, s), 1, NumericTypeBytes(w));
}

void EmitBitLogic(CompilerState& st) {
  const std::string& t = st.TokText();
  if (t == "and" || t == "or" || t == "xor" || t == "<EOL>" || st.sticky.LogicOperatorSeen)
    st.out.Instr(Sep::kWide, "bld", st.sticky.SkipOperandPush ? "r24,0" : "zl,0");
}

void EmitStoreIoRegister(CompilerState& st, const std::string& name) {
  EmitRegisterWrite(st, UpperText(name), st.sticky.SkipOperandPush ? "r24" : "zl", Reach::kInOut);
}

void EmitStoreBit(CompilerState& st, const std::string& name, const std::string& bit) {
  const std::string b = BitOperand(st, bit);
  const IoBit target = BitOf(UpperText(name), b, BitTextValue(st, b), MaskText::kHex);
  const std::string la = NewLabel(st);
  const std::string lb = NewLabel(st);
  st.out.Instr(Sep::kNarrow, "brtc", la);
  EmitBitChange(st, target, true, Flags::kMayChange, "zl");
  st.out.Instr(Sep::kNarrow, "rjmp", lb);
  EmitLabel(st, la);
  EmitBitChange(st, target, false, Flags::kMayChange, "zl");
  EmitLabel(st, lb);
}

void EmitStoreVarBit(CompilerState& st, const std::string& name, const std::string& bit) {
  std::string addr;
  std::string b;
  VarBitByte(st, name, bit, addr, b);
  st.out.Instr(Sep::kWide, "lds", "zl," + addr);
  st.out.Instr(Sep::kWide, "bld", "zl," + b);
  st.out.Instr(Sep::kWide, "sts", addr + ",zl");
}

}  // namespace qbc
