#include "compiler/codegen/frame_vars.h"

#include "compiler/base/source_names.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/codegen/integer_to_float.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/compile_failure.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

constexpr int kFrameReach = 63;  // largest ldd/std displacement

// Reports a displacement beyond the reach of ldd/std once per statement position, without
// moving the token index (the expression goes on).
void CheckReach(CompilerState& st, int displacement, int bytes, const std::string& name) {
  if (displacement + bytes - 1 <= kFrameReach) return;
  ReportInPlace(st, "Frame too big: " + SourceName(name) + " is out of reach of Y (more than 63 bytes)!");
}

int ReadDisplacement(CompilerState& st, const LocalVarRecord& v) {
  const ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
  return p.FrameSize - v.FrameOffset + st.expr.ArgStackOffset;
}

int WriteDisplacement(CompilerState& st, const LocalVarRecord& v) {
  const ProcRecord& p = st.sym.Procs[st.sym.CurrentSubIndex];
  const int d = p.FrameSize - v.FrameOffset;
  if (d < 0) {
    // a local the full frame had no room for: it has no place to be written
    ReportInPlace(st, UpperText(SourceName(v.Name)) + " has no place in its procedure's frame (too many parameters and locals)!");
    return 0;
  }
  return d;
}

std::string Y(int d) { return "y+" + Dec(d); }

}  // namespace

int FrameReadDisplacement(CompilerState& st, const LocalVarRecord& v) { return ReadDisplacement(st, v); }

bool HasNumberBits(const LocalVarRecord& v) {
  return v.Storage != kStorageFlash && v.VarType >= kTypeBit && v.VarType <= kTypeLong;
}

int FrameSlotBytes(const LocalVarRecord& v) {
  // a string local and any local kept in flash hold an address
  if (v.Storage == kStorageFlash || v.VarType == kTypeString || v.VarType == kTypeFlashString) return 2;
  return NumericTypeBytes(v.VarType);
}

void EmitLoadFrameVar(CompilerState& st, int localIndex, std::uint8_t wanted) {
  if (localIndex <= 0) return;
  const LocalVarRecord& v = st.sym.LocalVars[localIndex - 1];
  const std::uint8_t w = wanted == 0 || wanted == kTypeString ? st.sticky.OperandType : wanted;

  const int d = ReadDisplacement(st, v);
  std::uint8_t t = v.Storage == kStorageFlash ? std::uint8_t{kTypeWord} : v.VarType;
  st.sticky.OperandType = t;
  // A bit parameter or local is a byte holding 0 or 1.
  const bool bitVar = t == kTypeBit;
  if (bitVar) t = kTypeByte;
  CheckReach(st, d, FrameSlotBytes(v), v.Name);

  auto ld = [&](const char* reg, int k) { st.out.Instr(Sep::kWide, "ldd", std::string(reg) + "," + Y(d + k)); };
  auto floatBytes = [&](const RegisterSet& regs) {
    EmitEachByte(st, "ldd", {4, regs}, ByteOrder::LowFirst,
                 [&](std::string_view reg, int k) { return std::string(reg) + "," + Y(d + k); });
  };

  const bool skip = st.sticky.SkipOperandPush;
  const ValueRegisters regs = IntegerValue(w, skip);
  const bool integerSource = t >= kTypeByte && t <= kTypeLong;
  auto widened = [&](int bytes) {
    EmitWidenedRead(st, "ldd", regs.regs, NumericTypeBytes(t), bytes, [&](int k) { return Y(d + k); });
  };
  if (t == kTypeFloat && w >= (skip ? kTypeByte : kTypeBit) && w <= kTypeLong) {
    st.used.Set(NeedFloatCore);
    floatBytes(kFloatRegisters);
  } else if (w == kTypeBit && !skip) {
    if (integerSource) widened(1);
    if (bitVar) st.out.Instr(Sep::kWide, "bst", "zl,0");
  } else if (w == kTypeByte) {
    if (integerSource) widened(1);
  } else if (w == kTypeInteger || w == kTypeWord) {
    // as the left operand a long keeps all four bytes
    if (integerSource) widened(skip && t == kTypeLong ? 4 : 2);
  } else if (w == kTypeLong && t == kTypeInteger) {
    // an integer widened to a long keeps its sign
    widened(2);
    EmitWidenInteger(st, regs.regs, kTypeInteger, kTypeLong);
  } else if (w == kTypeLong) {
    if (integerSource) widened(4);
  } else if (w == kTypeFloat) {
    if (t == kTypeFloat) {
      st.used.Set(NeedFloatCore);
      floatBytes(skip ? kFloatLeftRegisters : kFloatRegisters);
    } else if (EmitIntegerToFloat(st, t, IntegerInFrame(d)) && skip) {
      // The second operand of a float operator lies in r18..r21.
      EmitCall(st, "_Fba");
    }
  } else if (w == kTypeString && !skip) {
    ld("zl", 0);
    ld("zh", 1);
  }

  EmitConvertFromFloat(st, wanted);
}

void EmitLoadFrameVarBit(CompilerState& st, int localIndex, const std::string& bit, std::uint8_t wanted) {
  if (localIndex <= 0) return;
  const LocalVarRecord& v = st.sym.LocalVars[localIndex - 1];
  if (!HasNumberBits(v)) {
    CompileError(st, "Must by Byte!");
    return;
  }
  const int d = ReadDisplacement(st, v);
  st.sticky.OperandType = kTypeBit;
  EmitLoadBitOf(st, FrameSlotBytes(v), bit, [&](const std::string& reg, int byteIndex) {
    CheckReach(st, d + byteIndex, 1, v.Name);
    st.out.Instr(Sep::kWide, "ldd", reg + "," + Y(d + byteIndex));
  }, wanted);
}

void EmitStoreFrameVar(CompilerState& st, const std::string& name, const std::string& reg, std::uint8_t type) {
  const int k = FindLocalVar(st, name);
  if (k == 0) return;
  const LocalVarRecord& v = st.sym.LocalVars[k - 1];
  const int d = WriteDisplacement(st, v);
  CheckReach(st, d, FrameSlotBytes(v), v.Name);
  const bool fromFloat = st.sticky.OperandType == kTypeFloat;
  const std::uint8_t w = type;
  switch (w) {
    case kTypeBit:
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
    case kTypeFloat: {
      // a float result stored into an integer local gives its integer bytes from r22..
      RegisterSet from = fromFloat || w == kTypeFloat ? kFloatRegisters : kWorkRegisters;
      if (!fromFloat && NumericTypeBytes(w) == 1) from[0] = reg;
      EmitEachByte(st, "std", {NumericTypeBytes(w), from}, ByteOrder::LowFirst,
                   [&](std::string_view r, int b) { return Y(d + b) + "," + std::string(r); });
      break;
    }
    case kTypeString: {
      // The slot holds the address of the string's text: copy the text at Z there, at most
      // the declared length.
      st.out.Instr(Sep::kWide, "ldd", "xl," + Y(d));
      st.out.Instr(Sep::kWide, "ldd", "xh," + Y(d + 1));
      st.out.Instr(Sep::kWide, "ldi", "r20," + Dec(v.StrLen));
      if (st.sticky.OperandType == kTypeFlashString || st.expr.OperandInFlash) {
        st.used.Set(NeedStoreStrConst);
        EmitCall(st, "_StStC");
      } else {
        st.used.Set(NeedStoreStr);
        EmitCall(st, "_StStr");
      }
      break;
    }
    default: break;
  }
}

void EmitStoreFrameVarBit(CompilerState& st, const std::string& name, const std::string& bit) {
  const int k = FindLocalVar(st, name);
  if (k == 0) return;
  const LocalVarRecord& v = st.sym.LocalVars[k - 1];
  const int d = WriteDisplacement(st, v);
  const int n = BitTextValue(st, bit);
  const bool wide = v.VarType >= kTypeInteger && v.VarType <= kTypeLong && n >= 0 && n < 8 * VarTypeBytes(v.VarType);
  const int byte = wide ? n / 8 : 0;
  CheckReach(st, d + byte, 1, v.Name);
  st.out.Instr(Sep::kWide, "ldd", "zl," + Y(d + byte));
  st.out.Instr(Sep::kWide, "bld", "zl," + (wide ? Dec(n % 8) : bit));
  st.out.Instr(Sep::kWide, "std", Y(d + byte) + ",zl");
}

}  // namespace qbc
