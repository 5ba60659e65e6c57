#include "compiler/statements/hardware/start_stop.h"

#include <string>
#include <optional>
#include <string_view>

#include "compiler/base/compile_error.h"
#include "compiler/base/source_names.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/statements/hardware/timer_cells.h"
#include "compiler/statements/hardware/timer_prescaler.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

// The timer of "timer0" .. "timer5" and "counter0" .. "counter5"; -1 for any other word.
int TimerOfStartWord(std::string_view word) {
  for (std::string_view stem : {"timer", "counter"}) {
    if (word.size() == stem.size() + 1 && word.substr(0, stem.size()) == stem) {
      const char n = word.back();
      if (n >= '0' && n <= '5') return n - '0';
    }
  }
  return -1;
}

// Replaces the clock-select bits: a clock chosen before (by an earlier $timer line) must
// not mix with the new one. Bit 3 of a 16-bit timer's register (WGM12, "clear" and "fast")
// comes with the clock select of its $timer line and is replaced with it; that bit of an
// 8-bit timer belongs to its mode, which the $timer line writes itself. A four-bit
// power-of-two select holds all four bits, and CTC1 (bit 7) comes with it. Stop takes the
// clock away alone.
void EmitClockSelect(CompilerState& st, int timer, int select) {
  const std::string reg = TimerOf(st, timer).clockRegister;
  const bool sixteenBit = timer != 0 && timer != 2;
  int mask = (select > 7 || (select != 0 && sixteenBit)) ? 0x0F : 0x07;
  if (HasPowerOfTwoPrescaler(st, timer)) mask = select == 0 ? 0x0F : 0x8F;
  EmitRegisterRead(st, reg, "zl", Reach::kData);
  st.out.Instr(Sep::kWide, "andi", "zl," + Dec(0xFF & ~mask));
  if (select != 0) st.out.Instr(Sep::kWide, "ori", "zl," + Dec(select));
  EmitRegisterWrite(st, reg, "zl", Reach::kData);
}

std::optional<RegisterBit> AdcEnableBit(const CompilerState& st) {
  return FindRegisterBit(st, {{"adcsra", "aden"}, {"adcsr", "aden"}});
}

std::optional<RegisterBit> ComparatorOffBit(const CompilerState& st) {
  return FindRegisterBit(st, {{"acsr", "acd"}});
}

// The converter's clock: the crystal divided down to the 50..200 kHz the converter needs
// (prescaler code k divides by 2^k).
int AdcPrescaleCode(float mhz) {
  const float f = mhz / 0.2f;
  if (f >= 64.0f) return 7;
  if (f >= 32.0f) return 6;
  if (f >= 16.0f) return 5;
  if (f >= 8.0f) return 4;
  if (f >= 4.0f) return 3;
  if (f >= 2.0f) return 2;
  return 1;
}

// "," "vref" "=" and the reference word: the reference bits of ADMUX, as the chip's device
// file lays them out (the same word selects different bits on the tinies). Without a
// converter nothing is written: the caller refuses the statement.
void CompileAdcReference(CompilerState& st, bool hasAdc) {
  ++st.src.TokenIndex;
  ExpectToken(st, "vref");
  ExpectToken(st, "=");
  const std::string& word = st.TokText();
  std::optional<int> bits = 0;
  if (!hasAdc) return;
  if (word == "ext" || word == "int" || word == "vcc") {
    bits = AdcReferenceBits(st, word);
    if (!bits) {
      // Written anyway, the bits would select a reserved or another reference.
      ReportInPlace(st, "Unexisting feature!");
      return;
    }
  } else {
    CompileError(st, "Ext, Int or Vcc!");
  }
  st.out.Instr(Sep::kWide, "ldi", "zl," + Dec(*bits));
  EmitRegisterWrite(st, "ADMUX", "zl", Reach::kData);
}

void StartAdc(CompilerState& st) {
  const auto enable = AdcEnableBit(st);
  if (st.TokText(1) == ",") {
    ++st.src.TokenIndex;
    CompileAdcReference(st, enable.has_value());
  }
  if (!enable) {
    ReportInPlace(st, "Unexisting feature!");
    return;
  }
  st.out.Instr(Sep::kWide, "ldi", "zl," + Dec(0x80 | AdcPrescaleCode(st.cfg.CrystalFrequency)));
  EmitRegisterWrite(st, enable->reg, "zl", Reach::kData);
}

// The watchdog's control register, its change-enable and enable bits, and the reset flag
// that keeps the watchdog on while it is set (newer chips).
struct Watchdog {
  RegisterBit control;  // WDE
  int changeBit = 4;
};

std::optional<Watchdog> FindWatchdog(const CompilerState& st) {
  auto wde = FindRegisterBit(st, {{"wdtcsr", "wde"}, {"wdtcr", "wde"}});
  if (!wde) return std::nullopt;
  Watchdog w{*wde};
  for (std::string_view name : {"wdce", "wdtoe"})
    if (const auto bit = RegisterAddress(st, name)) {
      w.changeBit = *bit;
      break;
    }
  return w;
}

// The timed sequence that changes the watchdog: the change-enable write and the one that
// sets WDE as wanted follow within four cycles, with interrupts held off.
void EmitWatchdogChange(CompilerState& st, const Watchdog& w, bool on) {
  const RegisterBit& c = w.control;
  const int change = 1 << w.changeBit;
  const int enable = 1 << c.bit;
  st.out.Instr(Sep::kWide, "in", "zh,SREG");
  st.out.Instr("cli");
  st.out.Instr("wdr");
  // The reset flag of an earlier watchdog reset keeps WDE set until it is cleared.
  if (!on)
    if (const auto flag = FindRegisterBit(st, {{"mcusr", "wdrf"}, {"mcucsr", "wdrf"}}))
      EmitChangeRegisterBit(st, *flag, false, true);
  EmitRegisterRead(st, c.reg, "zl", Reach::kData);
  st.out.Instr(Sep::kWide, "ori", "zl," + Dec(change | enable));
  EmitRegisterWrite(st, c.reg, "zl", Reach::kData);
  st.out.Instr(Sep::kWide, "andi", "zl," + Dec(0xFF & ~(on ? change : change | enable)));
  EmitRegisterWrite(st, c.reg, "zl", Reach::kData);
  st.out.Instr(Sep::kWide, "out", "SREG,zh");
}

// A timer the chip lacks has no clock register to write (no device file read: every one).
bool TimerPresent(const CompilerState& st, int timer) {
  return st.sym.DeviceSymbols.empty() || TimerOf(st, timer).present;
}

void ReportNoTimer(CompilerState& st, int timer) {
  ReportInPlace(st, "No Timer" + Dec(timer) + " available!");
}

void ReportMissing(CompilerState& st) {
  ReportInPlace(st, "Unexisting feature!");
}

}  // namespace

void CompileStartStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  if (const int timer = TimerOfStartWord(word); timer >= 0) {
    const int select = st.Cells<TimerCells>().TimerClockSelect[timer];
    // (a timer the chip lacks was refused at its $timer line: its cell is 0)
    if (select > 0)
      EmitClockSelect(st, timer, select);
    else
      CompileError(st, "Timer" + Dec(timer) + " is not configured yet!");
  } else if (word == "adc") {
    StartAdc(st);
  } else if (word == "ac") {
    if (const auto off = ComparatorOffBit(st))
      EmitChangeRegisterBit(st, *off, false, true);
    else
      ReportMissing(st);
  } else if (word == "watchdog") {
    if (const auto w = FindWatchdog(st))
      EmitWatchdogChange(st, *w, true);
    else
      ReportMissing(st);
  } else {
    ReportInPlace(st, "How to start " + SourceName(word) + " ?");
  }
  ++st.src.TokenIndex;
}

void CompileStopStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  if (const int timer = TimerOfStartWord(word); timer >= 0) {
    if (TimerPresent(st, timer))
      EmitClockSelect(st, timer, 0);
    else
      ReportNoTimer(st, timer);
  } else if (word == "adc") {
    if (const auto enable = AdcEnableBit(st))
      EmitChangeRegisterBit(st, *enable, false, true);
    else
      ReportMissing(st);
  } else if (word == "ac") {
    if (const auto off = ComparatorOffBit(st))
      EmitChangeRegisterBit(st, *off, true, true);
    else
      ReportMissing(st);
  } else if (word == "watchdog") {
    if (const auto w = FindWatchdog(st))
      EmitWatchdogChange(st, *w, false);
    else
      ReportMissing(st);
  } else {
    ReportInPlace(st, "How to stop " + SourceName(word) + " ?");
  }
  ++st.src.TokenIndex;
}

}  // namespace qbc
