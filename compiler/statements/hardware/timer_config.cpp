#include "compiler/statements/hardware/timer_config.h"

#include <string>

#include "compiler/base/decl_text.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/device_facts.h"
#include "compiler/frontend/init_code_lines.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/statements/hardware/timer_cells.h"
#include "compiler/statements/hardware/timer_prescaler.h"

namespace qbc {

namespace {

// A configuration line's instruction: into the start-up code during the first pass, in
// place once the declarations have ended.
void EmitTimerLine(CompilerState& st, const std::string& mnemonic, const std::string& operands) {
  const std::string line = st.out.InstrText(Sep::kWide, mnemonic, operands);
  if (st.src.DeclarationsEnded) {
    st.out.Line(line);
  } else {
    AppendInitCodeLine(st, line);
  }
}

// The store follows the register's address in the device file: on the newer megas the
// timer control registers lie beyond the I/O space, where "out" cannot reach them.
void EmitControlLines(CompilerState& st, std::uint8_t control, Reach unnamed, const std::string& reg) {
  EmitTimerLine(st, "ldi", "zl," + std::to_string(control));
  EmitTimerLine(st, WriteMnemonic(RegisterReach(st, reg.substr(0, reg.find(',')), unnamed)), reg);
}

// The register of the timer's mode and output bits as the device file names it (TCCR0,
// TCCR0A, TCCR1A ...); the usual name where no device file was read.
std::string ModeRegister(const CompilerState& st, int timer) {
  const TimerFacts t = TimerOf(st, timer);
  if (!t.modeRegister.empty()) return t.modeRegister;
  return "TCCR" + std::to_string(timer) + (timer == 0 || timer == 2 ? "" : "A");
}

// Asynchronous operation: the timer's own ASn bit of ASSR, by the device file (AS0 of the
// m103/m64/m128 Timer0, AS2 of Timer2 elsewhere; bit 3 on the older chips, bit 5 on the
// newer). A timer without that bit has no asynchronous mode.
void EmitAsyncLines(CompilerState& st, std::uint8_t timer) {
  const auto bit = TimerOf(st, timer).asyncBit;
  if (!bit || FindIoRegister(st, "assr") == 0) {
    CompileError(st, "Invalid settings!");
    return;
  }
  EmitTimerLine(st, "ldi", "zl," + Hex2(1u << *bit, HexForm::Prefixed0xLower));
  EmitTimerLine(st, WriteMnemonic(RegisterReach(st, "ASSR", Reach::kInOut)), "ASSR,zl");
}

// Output mode of a PWM output: ORs the normal or inverted bits into the control byte.
void OutputMode(CompilerState& st, std::uint8_t& control, std::uint8_t normal, std::uint8_t inverted) {
  const std::string w = st.TokText();
  if (w == "normal")
    control |= normal;
  else if (w == "inverted")
    control |= inverted;
  else if (w != "disconnect")
    CompileError(st, "Normal, Inverted or DisConnect!");
}

// Compare output action: disconnect clears the pair (mask), the others set their bits.
void CompareAction(CompilerState& st, std::uint8_t& control, std::uint8_t keepMask, std::uint8_t toggle,
                   std::uint8_t reset, std::uint8_t set) {
  const std::string w = st.TokText();
  if (w == "disconnect")
    control &= keepMask;
  else if (w == "toggle")
    control |= toggle;
  else if (w == "reset")
    control |= reset;
  else if (w == "set")
    control |= set;
  else
    CompileError(st, "Toggle, Set, Reset or DisConnect!");
}

void CounterEdge(CompilerState& st, std::uint8_t timer) {
  const std::string w = st.TokText();
  if (w == "falling")
    st.Cells<TimerCells>().TimerClockSelect[timer] = 6;
  else if (w == "rising")
    st.Cells<TimerCells>().TimerClockSelect[timer] = 7;
  else
    CompileError(st, "Rising or Falling!");
}

// Steps past a word that was checked: a check that reported has already moved on.
void StepPast(CompilerState& st, const ErrorWatch& errors) {
  if (!errors.Seen()) ++st.src.TokenIndex;
}

// Past a word and the "=" after it (a timer's name, an option): the current token is then
// the value.
void StepToValue(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
}

// Past a mode word and the "," after it: the current token is then the clause's value, and
// `errors` watches what it reports.
void StepToClauseValue(CompilerState& st, ErrorWatch& errors) {
  ++st.src.TokenIndex;
  ExpectToken(st, ",");
  errors.Restart();
}

// The option list: while the current token is ",", the option after it, then one token on
// (past the option's last word). An option word `take` does not know: "Invalid settings!".
template <typename Take>
void ParseOptions(CompilerState& st, Take take) {
  HoldOnLine(st);
  while (st.TokText() == ",") {
    ++st.src.TokenIndex;
    if (!take(std::string(st.TokText()))) CompileError(st, "Invalid settings!");
    ++st.src.TokenIndex;
    HoldOnLine(st);
  }
}

// The clock options of the timers with a clear-on-compare bit beside the clock select (the
// 16-bit timers, the tinies' Timer1): "prescale = value", and "fast" or "clear", which the
// Start statement writes with the clock. False for any other option.
bool ClockOption(CompilerState& st, std::uint8_t timer, const std::string& option) {
  if (option == "prescale") {
    SelectPrescaleTable(st, timer);
    return true;
  }
  if (option != "fast" && option != "clear") return false;
  auto& select = st.Cells<TimerCells>().TimerClockSelect[timer];
  select = static_cast<std::uint8_t>(select | ClearOnCompareSelectBit(st, timer));
  return true;
}

bool HasPwmBits(CompilerState& st, std::uint8_t& control, std::uint8_t timer) {
  const std::string w = st.TokText();
  if (w == "8") {
    control = 1;
    st.Cells<TimerCells>().Pwm8Bit[timer] = true;
  } else if (w == "9") {
    control = 2;
  } else if (w == "10") {
    control = 3;
  } else {
    CompileError(st, "8, 9 or 10");
    return false;
  }
  return true;
}

// A unit of the timer that the chip lacks (an output, input capture, PWM): refused, as
// its bits would land on other functions of the register or on none. Without a device
// file every unit is taken.
bool Lacks(CompilerState& st, bool has) {
  if (has || st.sym.DeviceSymbols.empty()) return false;
  CompileError(st, "Unexisting feature!");
  return true;
}

bool LacksOutput(CompilerState& st, const TimerFacts& t, char channel) {
  return Lacks(st, t.outputs.find(channel) != std::string::npos);
}

// The pwm mode of a timer without a compare output (the m8's Timer0, the ATmega406's
// Timer1), which has no PWM either: refused with the rest of its line.
bool RefusesPwm(CompilerState& st, const TimerFacts& t) {
  if (!Lacks(st, !t.outputs.empty())) return false;
  SkipToStatementEnd(st);
  return true;
}

// The counter mode of a timer without a clock input (an asynchronous Timer2, Timer0 of the
// m64/m128/m103, the tinies' Timer1): clock selects 6 and 7 divide the clock there, so
// the counter would count the clock. Refused with the rest of its line.
bool RefusesCounter(CompilerState& st, const TimerFacts& t) {
  if (!Lacks(st, t.clockInput)) return false;
  SkipToStatementEnd(st);
  return true;
}

// Where Timer0's mode and compare-output bits lie in its control byte. The classic
// single register TCCR0 holds FOC0 WGM00 COM01 COM00 WGM01 CS02..CS00; the newer chips
// split it into TCCR0A (COM0A1 COM0A0 COM0B1 COM0B0 - - WGM01 WGM00) and TCCR0B (.. WGM02
// CS02..CS00), and their OC0A output takes the place of OC0. pwma sets the output mode of
// OC0 (OC0A); output B's bits (pwmb) are those of TCCR0A, the classic Timer0 has none.
struct Timer0Bits {
  std::uint8_t pwm;       // phase-correct PWM
  std::uint8_t fast;      // fast PWM
  std::uint8_t normal;    // OC0 (OC0A) set on the way down, cleared on the way up
  std::uint8_t inverted;  // the opposite
  std::uint8_t keep;      // everything but the compare output pair
  std::uint8_t toggle, reset, set;
  std::uint8_t clear;     // clear the count on compare match (added)
};
constexpr Timer0Bits kClassicTimer0{0x40, 0x48, 0x20, 0x30, 0xCF, 0x10, 0x20, 0x30, 8};
constexpr Timer0Bits kSplitTimer0{0x01, 0x03, 0x80, 0xC0, 0x3F, 0x40, 0x80, 0xC0, 2};

// Timer0 and Timer2, the 8-bit members.
void ParseEightBitTimer(CompilerState& st, std::uint8_t timer) {
  const TimerFacts facts = TimerOf(st, timer);
  st.Cells<TimerCells>().TimerClockSelect[timer] = 1;
  // a Timer0 whose clock select lives in TCCR0B: the control byte is TCCR0A's
  const bool splitTimer0 = timer == 0 && facts.splitControl;
  const Timer0Bits& bits0 = splitTimer0 ? kSplitTimer0 : kClassicTimer0;
  std::uint8_t control = 0;
  std::uint8_t clock = 0;  // TCCR0B's clock select on those chips
  bool emit = false;
  StepToValue(st);

  const std::string mode = st.TokText();
  ErrorWatch errors(st);
  if (mode == "timer") {
    ++st.src.TokenIndex;
  } else if (mode == "counter") {
    if (RefusesCounter(st, facts)) return;
    StepToClauseValue(st, errors);
    CounterEdge(st, timer);
    if (timer == 0) (splitTimer0 ? clock : control) = 2;
    StepPast(st, errors);
  } else if (mode == "pwm") {
    if (RefusesPwm(st, facts)) return;
    StepToClauseValue(st, errors);
    if (timer == 0) {
      control = bits0.pwm;
      emit = true;
      OutputMode(st, control, bits0.normal, bits0.inverted);
      StepPast(st, errors);
    } else {
      HasPwmBits(st, control, timer);
      StepPast(st, errors);
      emit = true;
      ExpectToken(st, ",");
      errors.Restart();
      OutputMode(st, control, 0x60, 0x70);
      StepPast(st, errors);
    }
  } else if (mode == "fastpwm" && timer == 0) {
    if (!Lacks(st, facts.fastPwm)) {
      control = bits0.fast;
      emit = true;
      ++st.src.TokenIndex;
    }
  } else {
    CompileError(st, "Timer, Counter or Pwm!");
  }

  ParseOptions(st, [&](const std::string& option) {
    if (option == "prescale") {
      SelectPrescaleTable(st, timer);
    } else if (timer == 0 && (option == "pwma" || option == "pwm0a")) {
      if (!LacksOutput(st, facts, 'A')) {
        StepToValue(st);
        OutputMode(st, control, bits0.normal, bits0.inverted);
      }
    } else if (timer == 0 && (option == "pwmb" || option == "pwm0b")) {
      if (!LacksOutput(st, facts, 'B')) {
        StepToValue(st);
        OutputMode(st, control, 0x20, 0x30);
      }
    } else if (option == "compare") {
      if (!LacksOutput(st, facts, 'A')) {
        StepToValue(st);
        emit = true;
        if (timer == 0)
          CompareAction(st, control, bits0.keep, bits0.toggle, bits0.reset, bits0.set);
        else
          CompareAction(st, control, 0xCF, 0x10, 0x20, 0x30);
      }
    } else if (option == "clear") {
      control = static_cast<std::uint8_t>(control + (timer == 0 ? bits0.clear : 8));
    } else if (option == "async") {
      EmitAsyncLines(st, timer);
    } else {
      return false;
    }
    return true;
  });

  if (!emit) return;
  if (splitTimer0) {
    EmitControlLines(st, control, Reach::kInOut, "TCCR0A,zl");
    EmitControlLines(st, clock, Reach::kInOut, "TCCR0B,zl");
  } else if (timer == 0) {
    // (a chip with TCCR0A alone keeps the TCCR0 layout under that name, clock select included)
    EmitControlLines(st, control, Reach::kInOut, ModeRegister(st, 0) + ",zl");
  } else if (TimerOf(st, 2).splitControl) {
    // The byte is laid out for TCCR2 (FOC2 WGM20 COM21 COM20 WGM21 CS22..CS20): its
    // waveform and output bits move to TCCR2A (COM2A1 COM2A0 .. WGM21 WGM20), its clock
    // select to TCCR2B.
    const auto a = static_cast<std::uint8_t>(((control & 0x30) << 2) | ((control & 0x08) >> 2) | ((control & 0x40) >> 6));
    EmitControlLines(st, a, Reach::kData, "TCCR2A,zl");
    EmitControlLines(st, static_cast<std::uint8_t>(control & 0x07), Reach::kData, "TCCR2B,zl");
  } else {
    // (a chip with TCCR2A alone keeps the TCCR2 layout under that name)
    EmitControlLines(st, control, Reach::kInOut, ModeRegister(st, 2) + ",zl");
  }
}

// Timer1, 3, 4 and 5, the 16-bit members: one control byte written to control register A,
// to control register B (input capture) or to both.
void ParseSixteenBitTimer(CompilerState& st, std::uint8_t timer) {
  const std::string n = std::to_string(timer);
  const TimerFacts facts = TimerOf(st, timer);
  st.Cells<TimerCells>().TimerClockSelect[timer] = 1;
  std::uint8_t control = 0;
  bool registerA = false;
  bool compare = false;
  bool capture = false;
  StepToValue(st);

  const std::string mode = st.TokText();
  ErrorWatch errors(st);
  if (mode == "timer") {
    ++st.src.TokenIndex;
  } else if (mode == "counter") {
    if (RefusesCounter(st, facts)) return;
    StepToClauseValue(st, errors);
    CounterEdge(st, timer);
    StepPast(st, errors);
  } else if (mode == "pwm") {
    if (RefusesPwm(st, facts)) return;
    registerA = true;
    StepToClauseValue(st, errors);
    HasPwmBits(st, control, timer);
    StepPast(st, errors);
  } else {
    CompileError(st, "Timer, Counter or Pwm!");
  }

  const bool isTimer1 = timer == 1;
  auto is = [&](const std::string& option, const char* plain, const std::string& alias) {
    return option == plain || (!alias.empty() && option == alias);
  };
  ParseOptions(st, [&](const std::string& option) {
    if (ClockOption(st, timer, option)) {
      // prescale, fast, clear: taken
    } else if (is(option, "pwma", isTimer1 ? "pwm1a" : "")) {
      if (!LacksOutput(st, facts, 'A')) {
        StepToValue(st);
        OutputMode(st, control, 0x80, 0xC0);
      }
    } else if (is(option, "pwmb", isTimer1 ? "pwm1b" : "")) {
      if (!LacksOutput(st, facts, 'B')) {
        StepToValue(st);
        OutputMode(st, control, 0x20, 0x30);
      }
    } else if (is(option, "pwmc", isTimer1 ? "pwm1c" : "")) {
      if (!LacksOutput(st, facts, 'C')) {
        StepToValue(st);
        OutputMode(st, control, 0x08, 0x0C);
      }
    } else if (option == "capture") {
      if (!Lacks(st, facts.capture)) {
        capture = true;
        StepToValue(st);
        const std::string edge = st.TokText();
        if (edge == "rising")
          control |= 0x40;
        else if (edge != "falling")
          CompileError(st, "Rising or Falling!");
      }
    } else if (option == "noisecancel") {
      if (!Lacks(st, facts.capture)) control |= 0x80;
    } else if (option == "compare" || is(option, "comparea", "compare" + n + "a")) {
      if (!LacksOutput(st, facts, 'A')) {
        compare = true;
        StepToValue(st);
        CompareAction(st, control, 0x3F, 0x40, 0x80, 0xC0);
      }
    } else if (is(option, "compareb", "compare" + n + "b")) {
      if (!LacksOutput(st, facts, 'B')) {
        compare = true;
        StepToValue(st);
        CompareAction(st, control, 0xCF, 0x10, 0x20, 0x30);
      }
    } else if (is(option, "comparec", "compare" + n + "c")) {
      if (!LacksOutput(st, facts, 'C')) {
        compare = true;
        StepToValue(st);
        CompareAction(st, control, 0xF3, 0x04, 0x08, 0x0C);
      }
    } else if (option == "async" && !isTimer1) {
      EmitAsyncLines(st, timer);
    } else {
      return false;
    }
    return true;
  });

  if (compare) {
    registerA = true;
    st.Cells<TimerCells>().TimerClockSelect[timer] = static_cast<std::uint8_t>(st.Cells<TimerCells>().TimerClockSelect[timer] | 8);
  }
  const Reach unnamed = isTimer1 ? Reach::kInOut : Reach::kData;
  if (registerA) EmitControlLines(st, control, unnamed, ModeRegister(st, timer) + ",zl");
  if (capture) EmitControlLines(st, control, unnamed, "TCCR" + n + "B,zl");
}

// Timer1 of the tiny26 and tiny25/45/85: eight bits, counting up to OCR1C in PWM, which
// each output switches on for itself (PWM1A, PWM1B); output A's bits lie in the mode
// register (TCCR1A, or TCCR1 beside the clock select), output B's in TCCR1A or GTCCR, each
// at the place the device file names. No input capture, no external clock, no output C.
void ParsePerOutputPwmTimer(CompilerState& st, std::uint8_t timer, const TimerFacts& facts) {
  const std::string n = std::to_string(timer);
  auto mask = [&](const std::string& name) -> std::uint8_t {
    const auto bit = DeviceBitNumber(st, name);
    return bit ? static_cast<std::uint8_t>(1 << *bit) : 0;
  };
  const std::uint8_t a0 = mask("com" + n + "a0"), a1 = mask("com" + n + "a1");
  const std::uint8_t b0 = mask("com" + n + "b0"), b1 = mask("com" + n + "b1");
  st.Cells<TimerCells>().TimerClockSelect[timer] = 1;
  std::uint8_t outputA = 0, outputB = 0;
  bool writeA = false, writeB = false, pwm = false, compare = false;
  StepToValue(st);

  const std::string mode = st.TokText();
  ErrorWatch errors(st);
  if (mode == "timer") {
    ++st.src.TokenIndex;
  } else if (mode == "counter") {
    // (its clock select offers no external clock: codes 6 and 7 divide the clock)
    Lacks(st, false);
    SkipToStatementEnd(st);
    return;
  } else if (mode == "pwm") {
    StepToClauseValue(st, errors);
    const std::string bits = st.TokText();
    if (bits == "8") {
      pwm = true;
      st.Cells<TimerCells>().Pwm8Bit[timer] = true;
    } else {
      CompileError(st, bits == "9" || bits == "10" ? "Unexisting feature!" : "8, 9 or 10");
    }
    StepPast(st, errors);
  } else {
    CompileError(st, "Timer, Counter or Pwm!");
  }

  auto is = [&](const std::string& option, const char* plain, const char* alias) {
    return option == plain || option == alias;
  };
  ParseOptions(st, [&](const std::string& option) {
    if (ClockOption(st, timer, option)) {
      // prescale, fast, clear: taken
    } else if (is(option, "pwma", "pwm1a")) {
      writeA = true;
      StepToValue(st);
      OutputMode(st, outputA, a1, a1 | a0);
    } else if (is(option, "pwmb", "pwm1b") && !facts.outputBRegister.empty()) {
      writeB = true;
      StepToValue(st);
      OutputMode(st, outputB, b1, b1 | b0);
    } else if (option == "compare" || is(option, "comparea", "compare1a")) {
      writeA = compare = true;
      StepToValue(st);
      CompareAction(st, outputA, static_cast<std::uint8_t>(~(a1 | a0)), a0, a1, a1 | a0);
    } else if (is(option, "compareb", "compare1b") && !facts.outputBRegister.empty()) {
      writeB = compare = true;
      StepToValue(st);
      CompareAction(st, outputB, static_cast<std::uint8_t>(~(b1 | b0)), b0, b1, b1 | b0);
    } else if (is(option, "pwmb", "pwm1b") || is(option, "compareb", "compare1b") || is(option, "pwmc", "pwm1c") ||
               is(option, "comparec", "compare1c") || option == "capture" || option == "noisecancel") {
      Lacks(st, false);
    } else {
      return false;
    }
    return true;
  });

  // A compare output acts on the matches of a count that clears at its top (CTCn, which
  // Start writes with the clock select), as the 16-bit timers' compare clears at OCRnA;
  // Compare1a sets that top with output A's value.
  if (compare) {
    auto& select = st.Cells<TimerCells>().TimerClockSelect[timer];
    select = static_cast<std::uint8_t>(select | ClearOnCompareSelectBit(st, timer));
  }
  if (pwm) {
    outputA |= mask("pwm" + n + "a");
    outputB |= mask("pwm" + n + "b");
    writeA = true;
    writeB = !facts.outputBRegister.empty();
  }
  if (facts.outputBRegister == facts.modeRegister) {
    outputA |= outputB;
    writeA = writeA || writeB;
    writeB = false;
  }
  if (writeA) EmitControlLines(st, outputA, Reach::kInOut, facts.modeRegister + ",zl");
  if (writeB) EmitControlLines(st, outputB, Reach::kInOut, facts.outputBRegister + ",zl");
  // PWM counts up to its top: 255 for eight bits.
  if (pwm && !facts.topRegister.empty()) EmitControlLines(st, 255, Reach::kInOut, facts.topRegister + ",zl");
}

}  // namespace

int TimerOfWord(std::string_view word) {
  if (word.size() != 6 || !word.starts_with("timer") || word[5] < '0' || word[5] > '5') return -1;
  return word[5] - '0';
}

void ParseTimerMetaStatement(CompilerState& st, int timer) {
  const auto n = static_cast<std::uint8_t>(timer);
  // A timer the chip lacks would have its lines left out or fail in the assembler.
  if (!st.sym.DeviceSymbols.empty() && !TimerOf(st, timer).present) {
    CompileError(st, "No Timer" + std::to_string(timer) + " available!");
    return;
  }
  if (const TimerFacts facts = TimerOf(st, timer); facts.pwmPerOutput)
    ParsePerOutputPwmTimer(st, n, facts);
  else if (timer == 0 || timer == 2)
    ParseEightBitTimer(st, n);
  else
    ParseSixteenBitTimer(st, n);
}

void SelectPrescaleTable(CompilerState& st, std::uint8_t& timer) {
  StepToValue(st);
  // The divisions the timer's clock select offers, by the device file: an asynchronous
  // 8-bit timer (its ASn bit) divides by 32 and 128 too, four select bits by every power of
  // two; the system prescaler's set where no device file was read.
  Prescalers set = TimerOf(st, timer).prescalers;
  if (set == Prescalers::kNone) set = Prescalers::kSystem;
  const std::string text = st.TokText();
  const double value = IsWholeNumberText(text) ? LeadingNumber(text) : 0.0;
  const int code = value >= 1 && value <= 16384 ? ClockSelectCode(set, static_cast<long>(value)) : 0;
  if (code > 0) {
    st.Cells<TimerCells>().TimerClockSelect[timer] = static_cast<std::uint8_t>(code);
  } else {
    ReportInPlace(st, "Not a valid Prescale value!");
  }
}

}  // namespace qbc
