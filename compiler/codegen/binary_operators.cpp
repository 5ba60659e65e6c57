#include "compiler/codegen/binary_operators.h"

#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/float_use.h"
#include "compiler/base/compile_error.h"

namespace qbc {

namespace {

// The width the operators work in: WantedType, or the operand's own type when that is 0
// or 6 (a string context takes the operand's type). Restores WantedType on destruction.
class OperatorType {
 public:
  explicit OperatorType(CompilerState& st) : st_(st), kept_(st.sticky.WantedType) {
    if (kept_ == 0 || kept_ == kTypeString) st.sticky.WantedType = st.sticky.OperandType;
  }
  ~OperatorType() { st_.sticky.WantedType = kept_; }
  std::uint8_t Type() const { return st_.sticky.WantedType; }

 private:
  CompilerState& st_;
  std::uint8_t kept_;
};

void Pops(CompilerState& st, std::uint8_t t) {
  if (st.sticky.SkipOperandPush) return;
  switch (t) {
    case kTypeBit:
    case kTypeByte: Emit2(st, "pop", "r24"); break;
    case kTypeInteger:
    case kTypeWord:
      Emit2(st, "pop", "r24");
      Emit2(st, "pop", "r25");
      break;
    case kTypeLong:
      Emit2(st, "pop", "r24");
      Emit2(st, "pop", "r25");
      Emit2(st, "pop", "r16");
      Emit2(st, "pop", "r17");
      break;
    case kTypeFloat:
      Emit2(st, "pop", "r21");
      Emit2(st, "pop", "r20");
      Emit2(st, "pop", "r19");
      Emit2(st, "pop", "r18");
      break;
    default: break;
  }
}

bool IsNumeric(std::uint8_t t) { return (t >= kTypeBit && t <= kTypeLong) || t == kTypeFloat; }

void LogicOperator(CompilerState& st, const char* m) {
  {
    OperatorType op(st);
    const std::uint8_t t = op.Type();
    if (t >= kTypeBit && t <= kTypeLong) {
      Pops(st, t);
      Emit2(st, m, "zl,r24");
      if (t == kTypeBit) Emit2(st, "bst", "zl,0");
      if (t == kTypeInteger || t == kTypeWord || t == kTypeLong) {
        if (std::string_view(m) == "and" && t != kTypeLong)
          Emit1(st, m, "zh,r25");
        else
          Emit2(st, m, "zh,r25");
      }
      if (t == kTypeLong) {
        Emit2(st, m, "r18,r16");
        Emit2(st, m, "r19,r17");
      }
    }
  }
  if (!st.expr.ExpressionTermOnly) st.sticky.SkipOperandPush = false;
}

}  // namespace

void EmitPushOperand(CompilerState& st) {
  OperatorType op(st);
  switch (op.Type()) {
    case kTypeBit:
    case kTypeByte: Emit1(st, "push", "zl"); break;
    case kTypeInteger:
    case kTypeWord:
      Emit1(st, "push", "zh");
      Emit1(st, "push", "zl");
      break;
    case kTypeLong:
      Emit1(st, "push", "r19");
      Emit1(st, "push", "r18");
      Emit1(st, "push", "zh");
      Emit1(st, "push", "zl");
      break;
    case kTypeFloat:
      Emit1(st, "push", "r22");
      Emit1(st, "push", "r23");
      Emit1(st, "push", "r24");
      Emit1(st, "push", "r25");
      break;
    default:
      CompileError(st, "Unsupported operation!");
      --st.src.TokenIndex;
      break;
  }
}

void EmitPushArgToSoftStack(CompilerState& st) {
  auto push = [&](const char* r) { Emit2(st, "st", std::string("-Y,") + r); };
  int bytes = 0;
  switch (st.sticky.WantedType) {
    case kTypeBit:
    case kTypeByte:
      push("zl");
      bytes = 1;
      break;
    case kTypeInteger:
    case kTypeWord:
      push("zh");
      push("zl");
      bytes = 2;
      break;
    case kTypeLong:
      push("r19");
      push("r18");
      push("zh");
      push("zl");
      bytes = 4;
      break;
    case kTypeFloat:
      push("r25");
      push("r24");
      push("r23");
      push("r22");
      bytes = 4;
      break;
    default: break;
  }
  if (bytes != 0 && st.expr.ArgStackOffset + bytes > 255) {
    // the frame displacements of the arguments are 8-bit
    CompileError(st, "Arguments take more than 255 bytes!");
    --st.src.TokenIndex;
  }
  st.expr.ArgStackOffset += bytes;
}

void EmitAddOperator(CompilerState& st) {
  OperatorType op(st);
  const std::uint8_t t = op.Type();
  if (!IsNumeric(t)) return;
  Pops(st, t);
  if (t == kTypeFloat) {
    EmitCall(st, "_Fadd");
    UseFloatRoutine(st, NeedFadd);
    return;
  }
  Emit2(st, "add", "zl,r24");
  if (t >= kTypeInteger) Emit2(st, "adc", "zh,r25");
  if (t == kTypeLong) {
    Emit2(st, "adc", "r18,r16");
    Emit2(st, "adc", "r19,r17");
  }
}

void EmitSubOperator(CompilerState& st) {
  OperatorType op(st);
  const std::uint8_t t = op.Type();
  if (!IsNumeric(t)) return;
  Pops(st, t);
  if (t == kTypeFloat) {
    // The left operand is in B (r21..r18), the right one in A: B - A is B + (-A). Negating
    // the result of _Fsub (A - B) instead would turn the +0 of equal operands into -0,
    // which compares below 0.
    Emit2(st, "subi", "r25,0x80");
    EmitCall(st, "_Fadd");
    UseFloatRoutine(st, NeedFadd);
    return;
  }
  Emit2(st, "sub", "r24,zl");
  if (t >= kTypeInteger) Emit2(st, "sbc", "r25,zh");
  if (t == kTypeLong) {
    Emit2(st, "sbc", "r16,r18");
    Emit2(st, "sbc", "r17,r19");
  }
  Emit2(st, "mov", "zl,r24");
  if (t >= kTypeInteger) Emit2(st, "mov", "zh,r25");
  if (t == kTypeLong) {
    Emit2(st, "mov", "r18,r16");
    Emit2(st, "mov", "r19,r17");
  }
}

void EmitMulOperator(CompilerState& st) {
  OperatorType op(st);
  const std::uint8_t t = op.Type();
  if (!IsNumeric(t)) return;
  Pops(st, t);
  switch (t) {
    case kTypeBit:
    case kTypeByte:
      if (st.dev.HardwareMultiplier) {
        Emit2(st, "mul", "zl,r24");
        Emit1(st, "movw", "zl,r0");
      } else {
        EmitCall(st, "Mpy8u");
      }
      break;
    case kTypeInteger: EmitCall(st, st.dev.HardwareMultiplier ? "Mp16u" : "Mp16s"); break;
    case kTypeWord: EmitCall(st, "Mp16u"); break;
    case kTypeLong: EmitCall(st, "Mul32"); break;
    default: break;
  }
}

void EmitDivOperator(CompilerState& st) {
  OperatorType op(st);
  const std::uint8_t t = op.Type();
  if (!IsNumeric(t)) return;
  Pops(st, t);
  switch (t) {
    case kTypeBit:
    case kTypeByte: EmitCall(st, "Div8u"); break;
    case kTypeInteger: EmitCall(st, "Di16s"); break;
    case kTypeWord: EmitCall(st, "Di16u"); break;
    case kTypeLong: EmitCall(st, "Div32"); break;
    default: break;
  }
}

void EmitAndOperator(CompilerState& st) { LogicOperator(st, "and"); }
void EmitOrOperator(CompilerState& st) { LogicOperator(st, "or"); }
void EmitXorOperator(CompilerState& st) { LogicOperator(st, "eor"); }

}  // namespace qbc
