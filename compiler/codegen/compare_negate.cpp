#include "compiler/codegen/compare_negate.h"

#include "compiler/base/flags/core_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/float_use.h"
#include "compiler/codegen/type_registers.h"

namespace qbc {

void EmitCompareOperator(CompilerState& st, std::uint8_t wanted) {
  // Pops only what the comparison step pushed: with SkipOperandPush the left operand is
  // already in the second-operand registers and nothing is on the stack.
  const bool pop = !st.sticky.SkipOperandPush;
  const std::uint8_t type = st.sticky.OperandType == kTypeFlashString ? std::uint8_t{kTypeFlashString} : wanted;
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
}

void EmitNegate(CompilerState& st, std::uint8_t wanted) {
  switch (wanted == 0 ? st.sticky.OperandType : wanted) {
    case kTypeByte:
      st.out.Instr(Sep::kWide, "neg", "zl");
      break;
    case kTypeInteger:
    case kTypeWord:  // a word negates to its two's complement as an integer does
      EmitEachByte(st, "com", CurrentValue(kTypeWord));
      st.out.Instr(Sep::kNarrow, "adiw", "zl,0x01");
      break;
    case kTypeLong:
      EmitEachByte(st, "com", CurrentValue(kTypeLong));
      st.out.Instr(Sep::kNarrow, "subi", "zl,-0x01");
      st.out.Instr(Sep::kNarrow, "sbci", "zh,-0x01");
      st.out.Instr(Sep::kNarrow, "sbci", "r18,-0x01");
      st.out.Instr(Sep::kNarrow, "sbci", "r19,-0x01");
      break;
    case kTypeFloat:
      // A zero (exponent field 0) stays +0: the float routines give every zero as +0 and
      // _Fcmp orders -0 below +0, so -A for A = 0 would not compare equal to 0.
      st.out.Instr(Sep::kWide, "mov", "xl,r24");
      st.out.Instr(Sep::kWide, "lsl", "xl");
      st.out.Instr(Sep::kWide, "mov", "xl,r25");
      st.out.Instr(Sep::kWide, "rol", "xl");
      st.out.Instr(Sep::kNarrow, "breq", "PC+0x03");
      st.out.Instr(Sep::kWide, "ldi", "xl,0x80");
      st.out.Instr(Sep::kWide, "eor", "r25,xl");
      break;
    default:
      break;
  }
}

void EmitNegateWithBit(CompilerState& st, std::uint8_t wanted) {
  const std::uint8_t type = wanted == 0 ? st.sticky.OperandType : wanted;
  switch (type) {
    case kTypeBit:
      if (st.sticky.OperandType == kTypeBit) {
        st.out.Instr(Sep::kWide, "bld", "zl,0x00");
        st.out.Instr(Sep::kWide, "ldi", "zh,0x01");
        st.out.Instr(Sep::kWide, "eor", "zl,zh");
        st.out.Instr(Sep::kWide, "bst", "zl,0x00");
      } else if (st.sticky.OperandType == kTypeByte) {
        st.out.Instr(Sep::kWide, "ldi", "zh,0x01");
        st.out.Instr(Sep::kWide, "eor", "zl,zh");
      }
      break;
    case kTypeByte:
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
      EmitEachByte(st, "com", CurrentValue(type));
      break;
    case kTypeFloat:
      st.out.Instr(Sep::kWide, "ldi", "xl,0x80");
      st.out.Instr(Sep::kWide, "eor", "r25,xl");
      break;
    default:
      break;
  }
}

}  // namespace qbc
