// Global variables loaded by type, converted to the wanted type.
#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/codegen/bits_io.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/type_registers.h"
#include "compiler/codegen/integer_to_float.h"
#include "compiler/base/labels.h"

namespace qbc {

namespace {

void Lds(CompilerState& st, const std::string& reg, const std::string& addr) { st.out.Instr(Sep::kWide, "lds", reg + "," + addr); }

// The bytes of `n` into the registers of `v`.
void LoadBytes(CompilerState& st, const std::string& n, const ValueRegisters& v) {
  EmitEachByte(st, "lds", v, ByteOrder::LowFirst,
               [&](std::string_view reg, int k) { return std::string(reg) + "," + ByteAddress(n, k); });
}

void LoadFloatBytes(CompilerState& st, const std::string& n) { LoadBytes(st, n, CurrentValue(kTypeFloat)); }

// The `stored` bytes of `n` widened with cleared bytes to `wanted` bytes of `regs`.
void LoadWidened(CompilerState& st, const std::string& n, const RegisterSet& regs, int stored, int wanted) {
  EmitWidenedRead(st, "lds", regs, stored, wanted, [&](int k) { return ByteAddress(n, k); });
}

// An integer of type `ot` as a float, copied to r18..r21 when the value is the left operand.
void LoadAsFloat(CompilerState& st, const std::string& n, std::uint8_t ot, bool skip) {
  if (EmitIntegerToFloat(st, ot, IntegerAt(n)) && skip) EmitCall(st, "_Fba");
}

}  // namespace

std::uint8_t EmitLoadVariable(CompilerState& st, const std::string& n, std::uint8_t wanted) {
  std::uint8_t w = wanted == 0 ? st.sticky.OperandType : wanted;
  if (st.expr.OperandInFlash) w = kTypeWord;
  const std::uint8_t ot = st.sticky.OperandType;
  const bool s = st.sticky.SkipOperandPush;
  const std::string r0 = s ? "r24" : "zl";

  if (ot == kTypeBit && w >= kTypeBit && w <= kTypeLong) {
    EmitLoadBitVar(st, n, w);
  } else if (ot == kTypeFloat && w >= kTypeBit && w <= kTypeLong) {
    // Float to integer, moved into the registers of the integer type: the value goes on
    // through the integer operators and stores, so it counts as that type from here on
    // (a second conversion by the term level would take the integer for a float). A bit
    // takes bit 0 of the integer's low byte.
    const std::uint8_t into = w == kTypeBit ? std::uint8_t{kTypeByte} : w;
    LoadFloatBytes(st, n);
    CallLibrary(st, "_Fxsf", NeedFloatCore);
    EmitIntegerFromFloatRegisters(st, into, s, true);
    st.sticky.OperandType = into;
  } else {
    const ValueRegisters regs = IntegerValue(w, s);
    const int stored = NumericTypeBytes(ot);
    switch (w) {
      case kTypeBit:
        if (ot >= kTypeByte && ot <= kTypeWord) Lds(st, r0, n);
        break;
      case kTypeByte:
      case kTypeInteger:
      case kTypeWord:
        if (ot >= kTypeByte && ot <= kTypeLong) LoadWidened(st, n, regs.regs, stored, regs.bytes);
        break;
      case kTypeLong:
        if (ot == kTypeInteger) {
          // an integer keeps its sign
          st.used.Set(s ? NeedI2Lo : NeedI2L);
          LoadWidened(st, n, regs.regs, stored, stored);
          EmitCall(st, s ? "_I2Lo" : "_I2L");
        } else if (ot >= kTypeByte && ot <= kTypeLong) {
          LoadWidened(st, n, regs.regs, stored, regs.bytes);
        }
        break;
      case kTypeString:
        // the value's own bytes, for the conversion to text
        if (ot >= kTypeByte && ot <= kTypeFloat && ot != kTypeString && ot != kTypeFlashString)
          LoadBytes(st, n, CurrentValue(ot));
        break;
      case kTypeFloat:
        if (ot == kTypeFloat) {
          LoadBytes(st, n, s ? LeftValue(kTypeFloat) : CurrentValue(kTypeFloat));
        } else {
          LoadAsFloat(st, n, ot, s);
        }
        break;
      default:
        break;
    }
  }
  return wanted != 0 ? wanted : w;
}

}  // namespace qbc
