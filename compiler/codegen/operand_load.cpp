// Named operands: variables, locals, registers, $def aliases and their single bits.
#include "compiler/codegen/operand_load.h"

#include "compiler/base/source_names.h"
#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/labels.h"
#include "compiler/codegen/frame_vars.h"
#include "compiler/codegen/string_functions.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/symbols.h"
#include "compiler/base/decl_text.h"

namespace qbc {

namespace {

void StepPastIndexToken(CompilerState& st) { ++st.src.TokenIndex; }

// A bit whose number is held in a variable ends in T; wanted as a number it also becomes
// 0 or 1 in the registers the caller's SkipOperandPush names, which is restored here (the
// intermediate loads use both register sets).
struct VariableBitNumber {
  CompilerState& st;
  bool callerSkip;
  std::uint8_t callerWanted;

  // The forms use r24 as scratch: a value the caller holds there (the left operand of a
  // one-operator assignment) is kept on the stack meanwhile.
  VariableBitNumber(CompilerState& s, std::uint8_t wanted)
      : st(s), callerSkip(s.sticky.SkipOperandPush), callerWanted(wanted) {
    if (!callerSkip) st.out.Instr(Sep::kNarrow, "push", "r24");
  }

  // Loads (the low byte of) `name`, of type `type`, into zl or r24.
  void Load(const std::string& name, std::uint8_t type, bool intoSecond) {
    st.sticky.OperandType = type;
    st.sticky.SkipOperandPush = intoSecond;
    EmitLoadVariable(st, name, kTypeByte);
  }

  // T holds the bit.
  void Finish() {
    if (!callerSkip) st.out.Instr(Sep::kWide, "pop", "r24");
    EmitBitAsNumber(st, callerSkip ? kLeftRegisters : kWorkRegisters, callerWanted);
    st.sticky.SkipOperandPush = callerSkip;
    st.sticky.OperandType = kTypeBit;
    StepPastIndexToken(st);
  }

  // The value is in zl and the bit number in r24: shift the bit down to bit 0 (a bit
  // number of 0 takes no shift: the routine would shift 256 times) and copy it into T.
  void ShiftForm() {
    const std::string none = NewLabel(st);
    st.out.Instr(Sep::kWide, "tst", "r24");
    st.out.Instr(Sep::kNarrow, "breq", none);
    EmitCall(st, "_VaBiL");
    EmitLabel(st, none);
    CallLibrary(st, "_StBit", NeedStoreBit);
    st.used.Set(NeedVaBiL);
    Finish();
  }

  // The value is in r24 and the mask 1 shl n in r23.
  void MaskForm() {
    const std::string l1 = NewLabel(st);
    const std::string l2 = NewLabel(st);
    st.out.Instr(Sep::kWide, "and", "r24,r23");
    st.out.Instr(Sep::kWide, "tst", "r24");
    st.out.Instr(Sep::kNarrow, "breq", l1);
    st.out.Instr("set");
    st.out.Instr(Sep::kNarrow, "rjmp", l2);
    EmitLabel(st, l1);
    st.out.Instr("clt");
    EmitLabel(st, l2);
    st.used.Set(NeedBitMask);
    Finish();
  }
};

// The bit number held in local lk or else in global gi (named `name`) into zl.
void LoadBitNumber(CompilerState& st, int lk, int gi, const std::string& name) {
  st.sticky.SkipOperandPush = false;
  if (lk != 0) {
    EmitLoadFrameVar(st, lk, kTypeByte);
  } else {
    st.sticky.OperandType = st.sym.GlobalVars[gi].VarType;
    EmitLoadVariable(st, name, kTypeByte);
  }
}

}  // namespace

std::uint8_t EmitLoadOperand(CompilerState& st, std::uint8_t wanted) {
  std::string name = st.TokText();
  ++st.src.TokenIndex;

  if (int d = FindDefAlias(st, name); d != 0) {
    const DefRecord& def = st.sym.Defs[d];
    // the alias stands for its register or its register bit, with that operand's type
    if (def.Bit == " " || def.Bit.empty()) {
      st.sticky.OperandType = kTypeByte;
      EmitLoadIoRegister(st, def.Register, wanted);
    } else {
      st.sticky.OperandType = kTypeBit;
      EmitLoadPortBit(st, def.Register, def.Bit, wanted);
    }
    return wanted;
  }

  if (int k = FindLocalVar(st, name); k != 0) {
    if (st.TokText() == ".") {
      ++st.src.TokenIndex;
      const LocalVarRecord& v = st.sym.LocalVars[k - 1];
      const std::string bit = st.TokText();
      const int lk = FindConst(st, bit) != 0 ? 0 : FindLocalVar(st, bit);
      const int gi = FindConst(st, bit) != 0 || lk != 0 ? 0 : FindGlobalVar(st, bit);
      if ((lk != 0 || (gi != 0 && IsWholeNumberType(st.sym.GlobalVars[gi].VarType))) && HasNumberBits(v)) {
        // a bit number held in a variable: any bit of the local, found at run time
        VariableBitNumber vb(st, wanted);
        LoadBitNumber(st, lk, gi, bit);
        EmitVarBitPointer(st, "", FrameReadDisplacement(st, v), FrameSlotBytes(v));
        st.out.Instr(Sep::kWide, "ld", "r24,X");
        vb.MaskForm();
        return wanted;
      }
      // any other name: nothing is written and the name stays current, as for a global
      if (st.Tok().Kind == kTokName && FindConst(st, bit) == 0) return wanted;
      EmitLoadFrameVarBit(st, k, bit, wanted);
      ++st.src.TokenIndex;
      return wanted;
    }
    st.expr.LoadedVarClass = kFrameVar;
    st.expr.LoadedVarKind = kLoadedLocal;
    st.sticky.OperandType = st.sym.LocalVars[k - 1].VarType;
    if (st.sticky.OperandType == kTypeFloat) st.used.Set(NeedFloatCore);
    if (wanted == 0) wanted = st.sticky.OperandType;
    EmitLoadFrameVar(st, k, wanted);
    return wanted;
  }

  if (int g = FindGlobalVar(st, name); g != 0) {
    const GlobalVarRecord& v = st.sym.GlobalVars[g];
    st.expr.LoadedVarClass = kGlobalVar;
    if (v.Storage == kStorageFlash) {
      st.out.Instr(Sep::kWide, "ldi", "zl,byte1(" + name + "*2)");
      st.out.Instr(Sep::kWide, "ldi", "zh,byte2(" + name + "*2)");
      if (st.dev.NeedRampz) {
        st.out.Instr(Sep::kWide, "ldi", "r18,byte3(" + name + "*2)");
        st.out.Instr(Sep::kWide, "out", "RAMPZ,r18");
      }
      st.expr.OperandInFlash = true;
      // a string kept in flash is compared and copied by the flash routines
      if (v.VarType == kTypeFlashString) st.sticky.OperandType = kTypeFlashString;
      return wanted;
    }
    st.sticky.OperandType = st.expr.MemCopyMode ? static_cast<std::uint8_t>(st.dev.RamEnd > 256 ? kTypeWord : kTypeByte) : v.VarType;
    if (st.sticky.OperandType == kTypeFloat) st.used.Set(NeedFloatCore);
    st.expr.LoadedVarKind = kLoadedGlobal;
    if (st.sticky.OperandType == kTypeString) {
      EmitLoadVarAddressZ(st, name);
      st.sticky.StrOperandLength = static_cast<std::uint8_t>(v.Size - 1);
    }
    if (st.TokText() == ".") {
      st.sticky.OperandType = kTypeBit;
      ++st.src.TokenIndex;
      const std::string bit = st.TokText();
      if (int c = FindConst(st, bit); c != 0) {
        ++st.src.TokenIndex;
        EmitLoadVarBit(st, name, st.sym.Constants[c].Value, wanted);
      } else if (const int lk = FindLocalVar(st, bit), gi = FindGlobalVar(st, bit); lk != 0 || gi != 0) {
        // a bit number held in a variable: any bit of the variable, found at run time
        VariableBitNumber vb(st, wanted);
        LoadBitNumber(st, lk, gi, bit);
        EmitVarBitPointer(st, name, 0, VarTypeBytes(v.VarType));
        st.out.Instr(Sep::kWide, "ld", "r24,X");
        vb.MaskForm();
      } else if (st.Tok().Kind == kTokName) {
        // any other name: nothing is written and the name stays current
      } else {
        ++st.src.TokenIndex;
        EmitLoadVarBit(st, name, bit, wanted);
      }
      return wanted;
    }
    if (st.sticky.OperandType != kTypeString) wanted = EmitLoadVariable(st, name, wanted);
    return wanted;
  }

  if (FindIoRegister(st, name) != 0) {
    st.sticky.OperandType = kTypeByte;
    if (st.TokText() == ".") {
      st.sticky.OperandType = kTypeBit;
      ++st.src.TokenIndex;
      const std::string bit = st.TokText();
      if (int c = FindConst(st, bit); c != 0) {
        ++st.src.TokenIndex;
        EmitLoadPortBit(st, name, st.sym.Constants[c].Value, wanted);
      } else if (int lk = FindLocalVar(st, bit); lk != 0) {
        VariableBitNumber vb(st, wanted);
        st.sticky.SkipOperandPush = false;
        EmitLoadIoRegister(st, name, kTypeByte);  // the value into zl
        st.sticky.SkipOperandPush = true;
        EmitLoadFrameVar(st, lk, kTypeByte);  // the bit number into r24
        vb.ShiftForm();
      } else if (int gi = FindGlobalVar(st, bit); gi != 0) {
        VariableBitNumber vb(st, wanted);
        st.sticky.SkipOperandPush = false;
        EmitLoadIoRegister(st, name, kTypeByte);  // the value into zl
        vb.Load(bit, st.sym.GlobalVars[gi].VarType, true);  // the bit number into r24
        vb.ShiftForm();
      } else {
        ++st.src.TokenIndex;
        EmitLoadPortBit(st, name, bit, wanted);
      }
      return wanted;
    }
    EmitLoadIoRegister(st, name, wanted);
    return wanted;
  }

  ReportInPlace(st, "Variable " + UpperText(SourceName(name)) + " is not declared!");
  return wanted;
}

void EmitConvertFromFloat(CompilerState& st, std::uint8_t wanted) {
  if (wanted >= kTypeString || st.sticky.OperandType != kTypeFloat) return;
  // a bit takes bit 0 of the whole number, as it takes bit 0 of a byte
  const std::uint8_t w = wanted == kTypeBit ? std::uint8_t{kTypeByte} : wanted;
  EmitCall(st, "_Fxsf");
  const bool s = st.sticky.SkipOperandPush;
  EmitIntegerFromFloatRegisters(st, w, s, s);
  // The value now lies in the integer registers: it goes on as the wanted type (its
  // store, and no second conversion by an operator level).
  if (w >= kTypeByte && w <= kTypeLong) st.sticky.OperandType = w;
}

bool FloatVariableNext(CompilerState& st, std::uint8_t wanted) {
  if (wanted < kTypeByte || wanted > kTypeLong) return false;
  const std::string& name = st.TokText();
  if (int k = FindLocalVar(st, name); k != 0) {
    const LocalVarRecord& v = st.sym.LocalVars[k - 1];
    return v.VarType == kTypeFloat && v.Storage != kStorageFlash;
  }
  if (int g = FindGlobalVar(st, name); g != 0) {
    const GlobalVarRecord& v = st.sym.GlobalVars[g];
    return v.VarType == kTypeFloat && v.Storage != kStorageFlash;
  }
  return false;
}

void EmitLoadStaticAddress(CompilerState& st, const std::string& name, const std::string& reg, std::uint8_t wanted) {
  const std::string lo = reg == "z" ? "zl" : "xl";
  const std::string hi = reg == "z" ? "zh" : "xh";
  if (st.dev.RamEnd <= 255) {
    st.out.Instr(Sep::kWide, "ldi", lo + "," + name);
    if (wanted == kTypeWord) st.out.Instr(Sep::kWide, "clr", hi);
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", lo + ",byte1(" + name + ")");
  st.out.Instr(Sep::kWide, "ldi", hi + ",byte2(" + name + ")");
}

void EmitLoadFrameAddress(CompilerState& st, int localIndex, const std::string& reg) {
  int offset = 0;
  if (localIndex != 0) {
    const int frame = st.sym.Procs[st.sym.CurrentSubIndex].FrameSize;
    offset = (frame - st.sym.LocalVars[localIndex - 1].FrameOffset) & 0xFFFF;
  }
  const std::string lo = reg == "z" ? "zl" : "xl";
  const std::string hi = reg == "z" ? "zh" : "xh";
  st.out.Instr(Sep::kWide, "ldd", lo + ",y+" + Dec(offset));
  if (st.dev.RamEnd >= 256) st.out.Instr(Sep::kWide, "ldd", hi + ",y+" + Dec(offset + 1));
}

void EmitLoadVarAddress(CompilerState& st, const std::string& reg, std::uint8_t wanted) {
  const std::string name = st.TokText();
  ++st.src.TokenIndex;
  if (int k = FindLocalVar(st, name); k != 0) {
    st.sticky.OperandType = st.sym.LocalVars[k - 1].VarType;
    EmitLoadFrameAddress(st, k, reg);
    return;
  }
  if (int g = FindGlobalVar(st, name); g != 0) {
    const GlobalVarRecord& v = st.sym.GlobalVars[g];
    st.sticky.OperandType = v.VarType;
    if (v.Storage == kStorageFlash) {
      const std::string lo = reg == "z" ? "zl" : "xl";
      const std::string hi = reg == "z" ? "zh" : "xh";
      st.out.Instr(Sep::kWide, "ldi", lo + ",byte1(" + name + "*2)");
      st.out.Instr(Sep::kWide, "ldi", hi + ",byte2(" + name + "*2)");
      return;
    }
    switch (v.VarType) {
      case kTypeString:
        if (reg == "z") {
          EmitLoadVarAddressZ(st, name);
        } else {
          st.out.Instr(Sep::kWide, "ldi", "xl,byte1(" + name + ")");
          if (st.dev.RamEnd > 256) st.out.Instr(Sep::kWide, "ldi", "xh,byte2(" + name + ")");
        }
        break;
      case kTypeBit:
        // a bit variable is a bit of r3/r4 and has no data address
        ReportInPlace(st, "Bit variable " + UpperText(SourceName(name)) + " has no address!");
        break;
      default:
        EmitLoadStaticAddress(st, name, reg, wanted);
        break;
    }
    return;
  }
  CompileError(st, UnknownIdentifier(name));
}

}  // namespace qbc
