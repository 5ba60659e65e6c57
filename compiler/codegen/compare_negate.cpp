#include "compiler/codegen/compare_negate.h"

#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/float_use.h"
#include "compiler/codegen/type_registers.h"

namespace qbc {

void EmitCompareOperator(CompilerState& st) {
  const std::uint8_t kept = st.sticky.WantedType;
  if (st.sticky.OperandType == kTypeFlashString) st.sticky.WantedType = kTypeFlashString;
  // Pops only what the comparison step pushed: with SkipOperandPush the left operand is
  // already in the second-operand registers and nothing is on the stack.
  const bool pop = !st.sticky.SkipOperandPush;
  const std::uint8_t type = st.sticky.WantedType;
  switch (type) {
    case kTypeBit:
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      if (pop) EmitPopLeft(st, type);
      EmitLeftWithWork(st, type, "cp", "cpc");
      break;
    case kTypeString:
    case 11:  // a substring (Left, Mid, Right)
      CallLibrary(st, "_StrCmp", NeedStrCmp);
      break;
    case kTypeFlashString:
      CallLibrary(st, "_StCCp", NeedStrConstCmp);
      break;
    case kTypeFloat:
      if (pop) EmitPopLeft(st, kTypeFloat);
      UseFloatRoutine(st, NeedFcmp0);
      break;
    default:
      break;
  }
  st.sticky.WantedType = kept;
}

void EmitNegate(CompilerState& st) {
  const std::uint8_t kept = st.sticky.WantedType;
  if (st.sticky.WantedType == 0) st.sticky.WantedType = st.sticky.OperandType;
  switch (st.sticky.WantedType) {
    case kTypeByte:
      Emit2(st, "neg", "zl");
      break;
    case kTypeInteger:
    case kTypeWord:  // a word negates to its two's complement as an integer does
      EmitEachByte(st, "com", CurrentValue(kTypeWord));
      Emit1(st, "adiw", "zl,0x01");
      break;
    case kTypeLong:
      EmitEachByte(st, "com", CurrentValue(kTypeLong));
      Emit1(st, "subi", "zl,-0x01");
      Emit1(st, "sbci", "zh,-0x01");
      Emit1(st, "sbci", "r18,-0x01");
      Emit1(st, "sbci", "r19,-0x01");
      break;
    case kTypeFloat:
      // A zero (exponent field 0) stays +0: the float routines give every zero as +0 and
      // _Fcmp orders -0 below +0, so -A for A = 0 would not compare equal to 0.
      Emit2(st, "mov", "xl,r24");
      Emit2(st, "lsl", "xl");
      Emit2(st, "mov", "xl,r25");
      Emit2(st, "rol", "xl");
      Emit1(st, "breq", "PC+0x03");
      Emit2(st, "ldi", "xl,0x80");
      Emit2(st, "eor", "r25,xl");
      break;
    default:
      break;
  }
  st.sticky.WantedType = kept;
}

void EmitNegateWithBit(CompilerState& st) {
  const std::uint8_t kept = st.sticky.WantedType;
  if (st.sticky.WantedType == 0) st.sticky.WantedType = st.sticky.OperandType;
  switch (st.sticky.WantedType) {
    case kTypeBit:
      if (st.sticky.OperandType == kTypeBit) {
        Emit2(st, "bld", "zl,0x00");
        Emit2(st, "ldi", "zh,0x01");
        Emit2(st, "eor", "zl,zh");
        Emit2(st, "bst", "zl,0x00");
      } else if (st.sticky.OperandType == kTypeByte) {
        Emit2(st, "ldi", "zh,0x01");
        Emit2(st, "eor", "zl,zh");
      }
      break;
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      EmitEachByte(st, "com", CurrentValue(st.sticky.WantedType));
      break;
    case kTypeFloat:
      Emit2(st, "ldi", "xl,0x80");
      Emit2(st, "eor", "r25,xl");
      break;
    default:
      break;
  }
  st.sticky.WantedType = kept;
}

void EmitRjmpLine(CompilerState& st, const std::string& label) { Emit1(st, "rjmp", label); }
void EmitRjmpLine2(CompilerState& st, const std::string& label) { Emit1(st, "rjmp", label); }

}  // namespace qbc
