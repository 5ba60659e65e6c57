#include "compiler/statements/hardware/compare_statements.h"

#include <optional>
#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/expression_parser.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/device_facts.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/statements/hardware/timer_cells.h"
#include "compiler/codegen/io_access.h"

namespace qbc {

namespace {

// An output compare register: one byte, or a low and a high byte.
struct CompareRegister {
  std::string low;
  std::string high;  // empty for an 8-bit register
};

// The register as the device file names it: OCRnX as a 16-bit pair or a single byte; a
// keyword without a channel also takes channel A where the device only has channels
// (OCR0A, OCR2A on the newer megas), and channel A the channel-less register of a timer
// with one output (OCR1 of the AT90S4433).
std::optional<CompareRegister> FindCompareRegister(const CompilerState& st, int timer, int channel) {
  const std::string base = "OCR" + std::to_string(timer);
  const char* const letters[] = {"", "A", "B", "C"};
  std::string names[2] = {base + letters[channel], ""};
  if (channel == 0) names[1] = base + "A";
  if (channel == 1) names[1] = base;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    if (RegisterAddress(st, name + "L") && RegisterAddress(st, name + "H")) return CompareRegister{name + "L", name + "H"};
    if (RegisterAddress(st, name)) return CompareRegister{name, ""};
  }
  return std::nullopt;
}

void Write(CompilerState& st, const std::string& reg, const std::string& src) {
  EmitRegisterWrite(st, reg, src, Reach::kData);
}

}  // namespace

void CompileCompareStatement(CompilerState& st, int number) {
  const int timer = number / 4;
  ++st.src.TokenIndex;
  const auto reg = FindCompareRegister(st, timer, number % 4);
  if (!reg) {
    CompileError(st, "Unexisting feature!");
    SkipToStatementEnd(st);
    return;
  }
  ExpectToken(st, "=");
  if (reg->high.empty()) {
    ParseSum(st, kTypeAnyNumber);
    Write(st, reg->low, "zl");
    // A timer whose count clears at a top of its own (OCR1C of the tinies' Timer1) clears
    // at output A's value on a compare, as a 16-bit timer's count clears at OCRnA; in PWM
    // the top stays the PWM's.
    const std::string top = TimerOf(st, timer).topRegister;
    if (number % 4 <= 1 && !top.empty() && !st.Cells<TimerCells>().Pwm8Bit[timer]) Write(st, top, "zl");
    return;
  }
  // A timer in 8-bit PWM counts to 255: its compare value is a byte, and the high byte
  // (latched by the low byte's write) must be 0.
  const bool eightBit = st.Cells<TimerCells>().Pwm8Bit[timer];
  ParseSum(st, eightBit ? kTypeByte : kTypeWord);
  if (eightBit) st.out.Instr(Sep::kWide, "clr", "zh");
  Write(st, reg->high, "zh");
  Write(st, reg->low, "zl");
}

void CompileClockPrescaleStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  const auto clkpr = FindRegisterBit(st, {{"clkpr", "clkpce"}});
  if (!clkpr) {
    CompileError(st, "Unexisting feature!");
    SkipToStatementEnd(st);
    return;
  }
  ExpectToken(st, "=");
  ParseSum(st, kTypeByte);
  // The chip takes a new prescaler only within four cycles after the change-enable bit was
  // written alone: both writes with interrupts held off.
  st.out.Instr(Sep::kWide, "in", "zh,SREG");
  st.out.Instr("cli");
  st.out.Instr(Sep::kWide, "ldi", "r24," + BitMaskText(clkpr->bit));
  EmitRegisterWrite(st, clkpr->reg, "r24", Reach::kData);
  EmitRegisterWrite(st, clkpr->reg, "zl", Reach::kData);
  st.out.Instr(Sep::kWide, "out", "SREG,zh");
}

}  // namespace qbc
