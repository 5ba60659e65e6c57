// Global variables loaded by type, converted to the wanted type.
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/base/labels.h"

namespace qbc {

namespace {

void Lds(CompilerState& st, const std::string& reg, const std::string& addr) { Emit2(st, "lds", reg + "," + addr); }
void Clr(CompilerState& st, const std::string& reg) { Emit2(st, "clr", reg); }

void LoadFloatBytes(CompilerState& st, const std::string& n) {
  Lds(st, "r22", n);
  Lds(st, "r23", n + "+1");
  Lds(st, "r24", n + "+2");
  Lds(st, "r25", n + "+3");
}

// An integer of type `ot` into r22..r25 as a float (_Fs2f), copied to r18..r21 when the
// value is the left operand.
void LoadAsFloat(CompilerState& st, const std::string& n, std::uint8_t ot, bool skip) {
  switch (ot) {
    case kTypeByte:
      Lds(st, "r22", n);
      Clr(st, "r23");
      Clr(st, "r24");
      Clr(st, "r25");
      break;
    case kTypeWord:
      Lds(st, "r22", n);
      Lds(st, "r23", n + "+1");
      Clr(st, "r24");
      Clr(st, "r25");
      break;
    case kTypeLong:
      LoadFloatBytes(st, n);
      break;
    case kTypeInteger: {
      const std::string la = NewLabel(st);
      const std::string lb = NewLabel(st);
      Lds(st, "r22", n);
      Lds(st, "r23", n + "+1");
      Emit1(st, "sbrc", "r23,0x07");
      Emit1(st, st.mn.JumpMnemonic, la);
      Clr(st, "r24");
      Clr(st, "r25");
      Emit1(st, st.mn.JumpMnemonic, lb);
      EmitLabel(st, la);
      Emit2(st, "ldi", "r24,0xff");
      Emit2(st, "ldi", "r25,0xff");
      EmitLabel(st, lb);
      break;
    }
    default:
      return;
  }
  EmitCall(st, "_Fs2f");
  if (skip) EmitCall(st, "_Fba");
}

}  // namespace

void EmitLoadVariable(CompilerState& st, const std::string& n) {
  const std::uint8_t entryWanted = st.sticky.WantedType;
  if (st.sticky.WantedType == 0) st.sticky.WantedType = st.sticky.OperandType;
  if (st.expr.OperandInFlash) st.sticky.WantedType = kTypeWord;
  const std::uint8_t w = st.sticky.WantedType;
  const std::uint8_t ot = st.sticky.OperandType;
  const bool s = st.sticky.SkipOperandPush;
  const std::string r0 = s ? "r24" : "zl";
  const std::string r1 = s ? "r25" : "zh";
  const std::string r2 = s ? "r16" : "r18";
  const std::string r3 = s ? "r17" : "r19";

  if (ot == kTypeBit && w >= kTypeBit && w <= kTypeLong) {
    EmitLoadBitVar(st, n);
  } else if (ot == kTypeFloat && w >= kTypeByte && w <= kTypeLong) {
    // Float to integer, moved into the registers of the integer type: the value goes on
    // through the integer operators and stores, so it counts as that type from here on
    // (a second conversion by the term level would take the integer for a float).
    LoadFloatBytes(st, n);
    CallLibrary(st, "_Fxsf", NeedFloatCore);
    if (s && w == kTypeLong) {
      Emit2(st, "mov", "r16,r24");
      Emit2(st, "mov", "r17,r25");
    }
    if (!s && w == kTypeLong) {
      Emit2(st, "mov", "r18,r24");
      Emit2(st, "mov", "r19,r25");
    }
    Emit2(st, "mov", r0 + ",r22");
    if (w >= kTypeInteger) Emit2(st, "mov", r1 + ",r23");
    st.sticky.OperandType = w;
  } else {
    switch (w) {
      case kTypeBit:
        if (ot >= kTypeByte && ot <= kTypeWord) Lds(st, r0, n);
        break;
      case kTypeByte:
        if (ot >= kTypeByte && ot <= kTypeLong) Lds(st, r0, n);
        break;
      case kTypeInteger:
      case kTypeWord:
        if (ot == kTypeByte) {
          Lds(st, r0, n);
          Clr(st, r1);
        } else if (ot >= kTypeInteger && ot <= kTypeLong) {
          Lds(st, r0, n);
          Lds(st, r1, n + "+1");
        }
        break;
      case kTypeLong:
        if (ot == kTypeByte) {
          Lds(st, r0, n);
          Clr(st, r1);
          Clr(st, r2);
          Clr(st, r3);
        } else if (ot == kTypeInteger) {
          st.used.Set(s ? NeedI2Lo : NeedI2L);
          Lds(st, r0, n);
          Lds(st, r1, n + "+1");
          EmitCall(st, s ? "_I2Lo" : "_I2L");
        } else if (ot == kTypeWord) {
          Lds(st, r0, n);
          Lds(st, r1, n + "+1");
          Clr(st, r2);
          Clr(st, r3);
        } else if (ot == kTypeLong) {
          Lds(st, r0, n);
          Lds(st, r1, n + "+1");
          Lds(st, r2, n + "+2");
          Lds(st, r3, n + "+3");
        }
        break;
      case kTypeString:
        if (ot == kTypeByte) {
          Lds(st, "zl", n);
        } else if (ot == kTypeInteger || ot == kTypeWord) {
          Lds(st, "zl", n);
          Lds(st, "zh", n + "+1");
        } else if (ot == kTypeLong) {
          Lds(st, "zl", n);
          Lds(st, "zh", n + "+1");
          Lds(st, "r18", n + "+2");
          Lds(st, "r19", n + "+3");
        } else if (ot == kTypeFloat) {
          LoadFloatBytes(st, n);
        }
        break;
      case kTypeFloat:
        if (ot == kTypeFloat) {
          if (s) {
            Lds(st, "r18", n);
            Lds(st, "r19", n + "+1");
            Lds(st, "r20", n + "+2");
            Lds(st, "r21", n + "+3");
          } else {
            LoadFloatBytes(st, n);
          }
        } else {
          LoadAsFloat(st, n, ot, s);
        }
        break;
      default:
        break;
    }
  }
  if (entryWanted != 0) st.sticky.WantedType = entryWanted;
}

}  // namespace qbc
