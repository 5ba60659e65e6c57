#include "compiler/codegen/binary_operators.h"

#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/float_use.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"

namespace qbc {

namespace {

// The width the operators work in: the wanted type, or the operand's own type when that
// is 0 or 6 (a string context takes the operand's type).
std::uint8_t OperatorType(const CompilerState& st, std::uint8_t wanted) {
  return wanted == 0 || wanted == kTypeString ? st.sticky.OperandType : wanted;
}

void Pops(CompilerState& st, std::uint8_t t) {
  if (st.sticky.SkipOperandPush) return;
  EmitPopLeft(st, t);
}

bool IsNumeric(std::uint8_t t) { return (t >= kTypeBit && t <= kTypeLong) || t == kTypeFloat; }

void LogicOperator(CompilerState& st, const char* m, std::uint8_t wanted) {
  {
    const std::uint8_t t = OperatorType(st, wanted);
    if (t >= kTypeBit && t <= kTypeLong) {
      Pops(st, t);
      st.out.Instr(Sep::kWide, m, "zl,r24");
      if (t == kTypeBit) st.out.Instr(Sep::kWide, "bst", "zl,0");
      if (t == kTypeInteger || t == kTypeWord || t == kTypeLong) {
        if (std::string_view(m) == "and" && t != kTypeLong)
          st.out.Instr(Sep::kNarrow, m, "zh,r25");
        else
          st.out.Instr(Sep::kWide, m, "zh,r25");
      }
      if (t == kTypeLong) {
        st.out.Instr(Sep::kWide, m, "r18,r16");
        st.out.Instr(Sep::kWide, m, "r19,r17");
      }
    }
  }
  if (!st.expr.ExpressionTermOnly) st.sticky.SkipOperandPush = false;
}

}  // namespace

void EmitPushOperand(CompilerState& st, std::uint8_t wanted) {
  const std::uint8_t t = OperatorType(st, wanted);
  if (NumericTypeBytes(t) == 0) {
    ReportInPlace(st, "Unsupported operation!");
    return;
  }
  EmitPushValue(st, t);
}

void EmitPushArgToSoftStack(CompilerState& st, std::uint8_t type) {
  const int bytes = EmitSoftStackPush(st, type);
  if (bytes != 0 && st.expr.ArgStackOffset + bytes > 255) {
    // the frame displacements of the arguments are 8-bit
    ReportInPlace(st, "Arguments take more than 255 bytes!");
  }
  st.expr.ArgStackOffset += bytes;
}

void EmitAddOperator(CompilerState& st, std::uint8_t wanted) {
  const std::uint8_t t = OperatorType(st, wanted);
  if (!IsNumeric(t)) return;
  Pops(st, t);
  if (t == kTypeFloat) {
    EmitCall(st, "_Fadd");
    UseFloatRoutine(st, NeedFadd);
    return;
  }
  EmitByteChain(st, "add", "adc", CurrentValue(t), PairedWith(kLeftRegisters));
}

void EmitSubOperator(CompilerState& st, std::uint8_t wanted) {
  const std::uint8_t t = OperatorType(st, wanted);
  if (!IsNumeric(t)) return;
  Pops(st, t);
  if (t == kTypeFloat) {
    // The left operand is in B (r21..r18), the right one in A: B - A is B + (-A). Negating
    // the result of _Fsub (A - B) instead would turn the +0 of equal operands into -0,
    // which compares below 0.
    st.out.Instr(Sep::kWide, "subi", "r25,0x80");
    EmitCall(st, "_Fadd");
    UseFloatRoutine(st, NeedFadd);
    return;
  }
  EmitByteChain(st, "sub", "sbc", LeftValue(t), PairedWith(kWorkRegisters));
  EmitMoveLeftToCurrent(st, t);
}

void EmitMulOperator(CompilerState& st, std::uint8_t wanted) {
  const std::uint8_t t = OperatorType(st, wanted);
  if (!IsNumeric(t)) return;
  Pops(st, t);
  switch (t) {
    case kTypeBit:
    case kTypeByte:
      if (st.dev.HardwareMultiplier) {
        st.out.Instr(Sep::kWide, "mul", "zl,r24");
        st.out.Instr(Sep::kNarrow, "movw", "zl,r0");
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

void EmitDivOperator(CompilerState& st, std::uint8_t wanted) {
  const std::uint8_t t = OperatorType(st, wanted);
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

void EmitAndOperator(CompilerState& st, std::uint8_t wanted) { LogicOperator(st, "and", wanted); }
void EmitOrOperator(CompilerState& st, std::uint8_t wanted) { LogicOperator(st, "or", wanted); }
void EmitXorOperator(CompilerState& st, std::uint8_t wanted) { LogicOperator(st, "eor", wanted); }

}  // namespace qbc
