#include "compiler/statements/hardware/timer_access.h"

#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/codegen/string_lines.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

// A count or capture register: one byte (the 8-bit timers) or a low and a high byte.
struct TimerRegister {
  std::string low;
  std::string high;  // empty for an 8-bit register
};

// A register the device lacks is written by name all the same (the assembler names it);
// the data space reaches every address.

TimerRegister CountRegister(const CompilerState& st, int timer) {
  const std::string base = "TCNT" + std::to_string(timer);
  if (timer == 0 || timer == 2 || (timer == 1 && !RegisterAddress(st, base + "L") && RegisterAddress(st, base)))
    return {base, ""};
  return {base + "L", base + "H"};
}

// The value form: the register is read low byte first (the high byte is latched by that
// read) and widened to what the expression wants; the second-operand registers receive
// it when the expression asked for them.
void EmitValue(CompilerState& st, const TimerRegister& reg, std::uint8_t wanted) {
  const bool toSecond = st.sticky.SkipOperandPush;
  EmitRegisterRead(st, reg.low, "zl", Reach::kData);
  if (!reg.high.empty()) EmitRegisterRead(st, reg.high, "zh", Reach::kData);
  const int bytes = reg.high.empty() ? 1 : 2;
  st.sticky.OperandType = bytes == 1 ? kTypeByte : kTypeWord;
  strlines::WidenResult(st, bytes, false, wanted, toSecond);
}

}  // namespace

std::uint8_t CompileTimerAccess(CompilerState& st, int timer, std::uint8_t wanted) {
  ++st.src.TokenIndex;
  const TimerRegister reg = CountRegister(st, timer);
  if (st.expr.StatementContext) {
    EmitValue(st, reg, wanted);
    return wanted;
  }
  const std::uint8_t width = reg.high.empty() ? kTypeByte : kTypeWord;
  ExpectToken(st, "=");
  const std::uint8_t worked = timer == 1 ? ParseExpression(st, width) : ParseSum(st, width);
  // The high byte goes first: writing the low byte moves both into the register.
  if (!reg.high.empty()) EmitRegisterWrite(st, reg.high, "zh", Reach::kData);
  EmitRegisterWrite(st, reg.low, "zl", Reach::kData);
  return worked;
}

std::uint8_t CompileCaptureFunction(CompilerState& st, int timer, std::uint8_t wanted) {
  const std::string word = st.TokText();
  ++st.src.TokenIndex;
  if (!st.expr.StatementContext) {
    // The capture register is only read: a statement made of it would do nothing.
    CompileError(st, UpperText(word) + " cannot stand alone!");
    return wanted;
  }
  // A timer without input capture has no register to read (the tiny26 and tiny25/45/85
  // Timer1, the ATmega406's).
  if (!st.sym.DeviceSymbols.empty() && !TimerOf(st, timer).capture) {
    ReportInPlace(st, "Unexisting feature!");
    st.sticky.OperandType = kTypeWord;
    return wanted;
  }
  const std::string base = "ICR" + std::to_string(timer);
  EmitValue(st, {base + "L", base + "H"}, wanted);
  return wanted;
}

}  // namespace qbc
