// Named operands: variables, locals, registers, $def aliases and their single bits.
#include "compiler/codegen/operand_load.h"

#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/frontend/compile_error.h"
#include "compiler/frontend/labels.h"
#include "compiler/frontend/seams.h"
#include "compiler/frontend/symbols.h"

namespace qbc {

namespace {

void StepPastIndexToken(CompilerState& st) { ++st.src.TokenIndex; }

// The shift form of a bit number held in a variable: the operand is in the second-operand
// registers and the bit number in the working registers.
void ShiftForm(CompilerState& st, const std::string& operandName, bool operandIsVariable) {
  st.sticky.SkipOperandPush = true;
  EmitCall(st, "_VaBiL");
  if (st.sticky.WantedType > kTypeBit) {
    EmitCall(st, "_StBit");
    st.sticky.OperandType = kTypeBit;
    if (operandIsVariable) EmitLoadVariable(st, operandName);
  }
  st.used.Set(NeedStoreBit);
  st.used.Set(NeedVaBiL);
  StepPastIndexToken(st);
}

}  // namespace

void EmitLoadOperand(CompilerState& st) {
  std::string name = st.TokText();
  ++st.src.TokenIndex;

  if (int d = FindDefAlias(st, name); d != 0) {
    const DefRecord& def = st.sym.Defs[d];
    if (def.Bit == " " || def.Bit.empty())
      EmitLoadIoRegister(st, def.Register);
    else
      EmitLoadPortBit(st, def.Register, def.Bit);
    return;
  }

  if (int k = FindLocalVar(st, name); k != 0) {
    if (st.TokText() == ".") {
      ++st.src.TokenIndex;
      EmitLoadFrameVarBit(st, k, st.TokText());
      ++st.src.TokenIndex;
      return;
    }
    st.expr.LoadedVarClass = 6;
    st.expr.LoadedVarKind = 2;
    st.sticky.OperandType = st.sym.LocalVars[k - 1].VarType;
    if (st.sticky.OperandType == kTypeFloat) st.used.Set(NeedFloatCore);
    if (st.sticky.WantedType == 0) st.sticky.WantedType = st.sticky.OperandType;
    EmitLoadFrameVar(st, k);
    return;
  }

  if (int g = FindGlobalVar(st, name); g != 0) {
    const GlobalVarRecord& v = st.sym.GlobalVars[g];
    st.expr.LoadedVarClass = 3;
    if (v.Storage == kStorageFlash) {
      Emit2(st, "ldi", "zl,byte1(" + name + "*2)");
      Emit2(st, "ldi", "zh,byte2(" + name + "*2)");
      if (st.dev.NeedRampz) {
        Emit2(st, "ldi", "r18,byte3(" + name + "*2)");
        Emit2(st, "out", "RAMPZ,r18");
      }
      st.expr.OperandInFlash = true;
      return;
    }
    st.sticky.OperandType = st.expr.MemCopyMode ? static_cast<std::uint8_t>(st.dev.RamEnd > 256 ? kTypeWord : kTypeByte) : v.VarType;
    if (st.sticky.OperandType == kTypeFloat) st.used.Set(NeedFloatCore);
    st.expr.LoadedVarKind = 1;
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
        EmitLoadVarBit(st, name, st.sym.Constants[c].Value);
      } else if (int lk = FindLocalVar(st, bit); lk != 0) {
        st.sticky.OperandType = st.sym.LocalVars[lk - 1].VarType;
        EmitLoadVariable(st, name);
        st.sticky.SkipOperandPush = true;
        EmitLoadFrameVar(st, lk);
        ShiftForm(st, name, true);
      } else if (int gi = FindGlobalVar(st, bit); gi != 0) {
        const std::string l1 = NewLabel(st);
        const std::string l2 = NewLabel(st);
        st.sticky.OperandType = st.sym.GlobalVars[gi].VarType;
        EmitLoadVariable(st, bit);
        st.sticky.SkipOperandPush = true;
        EmitCall(st, "_VaBit");
        st.sticky.OperandType = v.VarType;
        EmitLoadVariable(st, name);
        st.sticky.SkipOperandPush = true;
        Emit2(st, "and", "r24,r23");
        Emit2(st, "tst", "r24");
        Emit1(st, "breq", l1);
        Emit0(st, "set");
        Emit1(st, "rjmp", l2);
        EmitLabel(st, l1);
        Emit0(st, "clt");
        EmitLabel(st, l2);
        if (st.sticky.WantedType > kTypeBit) {
          EmitCall(st, "_StBit");
          st.sticky.OperandType = kTypeBit;
          EmitLoadVariable(st, name);
        }
        st.used.Set(NeedBitMask);
        StepPastIndexToken(st);
      } else if (st.Tok().Kind == kTokName) {
        // any other name: nothing is written and the name stays current
      } else {
        ++st.src.TokenIndex;
        EmitLoadVarBit(st, name, bit);
      }
      return;
    }
    if (st.sticky.OperandType != kTypeString) EmitLoadVariable(st, name);
    return;
  }

  if (FindIoRegister(st, name) != 0) {
    st.sticky.OperandType = kTypeByte;
    if (st.TokText() == ".") {
      st.sticky.OperandType = kTypeBit;
      ++st.src.TokenIndex;
      const std::string bit = st.TokText();
      if (int c = FindConst(st, bit); c != 0) {
        ++st.src.TokenIndex;
        EmitLoadPortBit(st, name, st.sym.Constants[c].Value);
      } else if (int lk = FindLocalVar(st, bit); lk != 0) {
        st.sticky.OperandType = st.sym.LocalVars[lk - 1].VarType;
        EmitLoadIoRegister(st, name);
        st.sticky.SkipOperandPush = true;
        EmitLoadFrameVar(st, lk);
        ShiftForm(st, name, false);
      } else if (int gi = FindGlobalVar(st, bit); gi != 0) {
        st.sticky.OperandType = st.sym.GlobalVars[gi].VarType;
        EmitLoadIoRegister(st, name);
        st.sticky.SkipOperandPush = true;
        EmitLoadVariable(st, bit);
        ShiftForm(st, name, false);
      } else {
        ++st.src.TokenIndex;
        EmitLoadPortBit(st, name, bit);
      }
      return;
    }
    EmitLoadIoRegister(st, name);
    return;
  }

  CompileError(st, "Variable " + Upper(name) + " is not declared!");
  --st.src.TokenIndex;
}

void EmitConvertToFloat(CompilerState& st) {
  const std::uint8_t w = st.sticky.WantedType;
  if (w >= kTypeString || st.sticky.OperandType != kTypeFloat) return;
  EmitCall(st, "_Fxsf");
  const bool s = st.sticky.SkipOperandPush;
  auto mov = [&](const char* ops) { Emit2(st, "mov", ops); };
  switch (w) {
    case kTypeByte: mov(s ? "r24,r22" : "zl,r22"); break;
    case kTypeInteger:
    case kTypeWord:
      mov(s ? "r24,r22" : "zl,r22");
      mov(s ? "r25,r23" : "zh,r23");
      break;
    case kTypeLong:
      if (s) {
        mov("r16,r24");
        mov("r17,r25");
        mov("r24,r22");
        mov("r25,r23");
      } else {
        mov("zl,r22");
        mov("zh,r23");
        mov("r18,r24");
        mov("r19,r25");
      }
      break;
    default: break;
  }
}

void EmitLoadStaticAddress(CompilerState& st, const std::string& name, const std::string& reg) {
  const std::string lo = reg == "z" ? "zl" : "xl";
  const std::string hi = reg == "z" ? "zh" : "xh";
  if (st.dev.RamEnd <= 255) {
    Emit2(st, "ldi", lo + "," + name);
    if (st.sticky.WantedType == kTypeWord) Emit2(st, "clr", hi);
    return;
  }
  Emit2(st, "ldi", lo + ",byte1(" + name + ")");
  Emit2(st, "ldi", hi + ",byte2(" + name + ")");
}

void EmitLoadFrameAddress(CompilerState& st, int localIndex, const std::string& reg) {
  int offset = 0;
  if (localIndex != 0) {
    const int frame = st.sym.Procs[st.sym.CurrentSubIndex].FrameSize;
    offset = (frame - st.sym.LocalVars[localIndex - 1].FrameOffset) & 0xFFFF;
  }
  const std::string lo = reg == "z" ? "zl" : "xl";
  const std::string hi = reg == "z" ? "zh" : "xh";
  Emit2(st, "ldd", lo + ",y+" + Dec(offset));
  if (st.dev.RamEnd >= 256) Emit2(st, "ldd", hi + ",y+" + Dec(offset + 1));
}

void EmitLoadVarAddress(CompilerState& st, const std::string& reg) {
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
      Emit2(st, "ldi", lo + ",byte1(" + name + "*2)");
      Emit2(st, "ldi", hi + ",byte2(" + name + "*2)");
      return;
    }
    switch (v.VarType) {
      case kTypeString:
        if (reg == "z") {
          EmitLoadVarAddressZ(st, name);
        } else {
          Emit2(st, "ldi", "xl,byte1(" + name + ")");
          if (st.dev.RamEnd > 256) Emit2(st, "ldi", "xh,byte2(" + name + ")");
        }
        break;
      case kTypeBit:
        // a bit variable is a bit of r3/r4 and has no data address
        CompileError(st, "Bit variable " + Upper(name) + " has no address!");
        --st.src.TokenIndex;
        break;
      default:
        EmitLoadStaticAddress(st, name, reg);
        break;
    }
    return;
  }
  CompileError(st, "Unknown identifier ");
}

}  // namespace qbc
