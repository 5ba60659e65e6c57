#include "compiler/statements/comm_display/uart_config.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "compiler/base/decl_text.h"
#include "compiler/base/labels.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
#include "compiler/statements/comm_display/soft_uart_paths.h"
#include "compiler/statements/hardware/timer_cells.h"
#include "compiler/frontend/device_facts.h"
#include "compiler/frontend/uart_cells.h"

namespace qbc {

namespace {

// Collects the lines of one configuration. A two-line pair is kept together so the
// start-up text can take it in its own order.
struct UartLines {
  std::vector<std::vector<std::string>> groups;
  void One(const std::string& line) { groups.push_back({line}); }
  void Pair(const std::string& first, const std::string& second) { groups.push_back({first, second}); }
};

std::string Instr(const CompilerState& st, std::string_view mnemonic, std::string_view operands) {
  return st.out.InstrText(Sep::kWide, mnemonic, operands);
}

// The write of `src` into register `reg` as a line of the set-up.
std::string WriteLine(CompilerState& st, const std::string& reg, const std::string& src) {
  const IoForm write = WriteForm(st, reg, src, Reach::kInOut);
  return Instr(st, write.front().mnemonic, write.front().operands);
}

// In place, each pair is written as built; collected for the start-up code, each pair is
// swapped (the high byte is loaded first and stored last there).
void WriteUartLines(CompilerState& st, const UartLines& lines) {
  for (const auto& group : lines.groups) {
    if (st.src.DeclarationsEnded) {
      for (const auto& line : group) st.out.Line(line);
    } else {
      for (auto it = group.rbegin(); it != group.rend(); ++it) st.Cells<UartCells>().UartInitText += *it + "\r\n";
    }
  }
}

long Divisor(float clockMHz, long rate, int samples) {
  const double cycles = static_cast<double>(clockMHz) * 1000000.0;
  return static_cast<long>(RoundHalfEven(cycles / static_cast<double>(samples * rate) - 1.0));
}

// How far the rate a divisor gives may lie from the one asked for. The receiver finds a
// frame by the falling edge of its start bit and reads each bit at its middle, so in a
// frame of start bit, eight data bits and stop bit the stop bit is read 9.5 bits after the
// edge: the two ends' clocks may drift apart by less than half a bit by then. The edge is
// seen up to a sixteenth of a bit late and the three samples of the vote spread over
// another, which leaves (1/2 - 2/16) / 9.5, just under 4 %, for the rate.
constexpr double kRateTolerance = (0.5 - 2.0 / 16.0) / 9.5;

// The rate the divisor gives, as the message writes it: "31250 (-18.6%)".
std::string RateText(double given, long asked) {
  const double percent = (given / static_cast<double>(asked) - 1.0) * 100.0;
  char text[64];
  std::snprintf(text, sizeof text, "%.0f (%+.1f%%)", given, percent);
  return text;
}

}  // namespace

void ParseUartConfig(CompilerState& st, std::uint8_t uart) {
  ++st.src.TokenIndex;
  if (st.TokText() == "#") {
    ++st.src.TokenIndex;
    ExpectToken(st, "1");
    ExpectToken(st, "=");
    CalcSoftUartTiming(st);
    return;
  }
  if (st.TokText() != "=") return;
  ++st.src.TokenIndex;

  double rateValue = 0.0;
  const int c = FindConst(st, st.TokText());
  if (c > 0) {
    rateValue = LeadingNumber(st.sym.Constants[c].Value);
  } else if (st.Tok().Kind == kTokNumber) {
    rateValue = LeadingNumber(st.TokText());
  } else {
    CompileError(st, "Only numeric constant!");
    return;
  }
  // No clock reaches a rate beyond a billion; refused before it overflows the count.
  if (!(rateValue <= 1e9)) {
    CompileError(st, "Baud rate too High for given Clock!");
    return;
  }
  const long rate = static_cast<long>(RoundHalfEven(rateValue));
  if (rate <= 0) {
    // No divisor exists for a rate of 0; nothing is configured.
    CompileError(st, "Baud rate too low for given Clock!");
    return;
  }
  // A register the file lacks would compile cleanly and then fail in the assembler, or (an
  // alias such as UCR) set up another UART.
  const UartFacts facts = UartOf(st, uart);
  if (!facts.present) {
    CompileError(st, MissingUartText(uart));
    return;
  }

  long n = Divisor(st.cfg.CrystalFrequency, rate, 16);

  bool doubleSpeed = false;
  bool sync = false;
  bool master = false;
  // Synchronous mode: UMSEL (bit 6) alone, 8 data bits (UCSZ1:0 = 11). UMSEL = 11 would
  // select SPI master mode on the newer devices, and character size 00 gives 5-bit frames.
  std::uint8_t syncControl = 0x46;
  ++st.src.TokenIndex;
  HoldOnLine(st);
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    const std::string word = st.TokText();
    if (word == "sync") {
      ++st.src.TokenIndex;
      ExpectToken(st, ",");
      const std::string role = st.TokText();
      if (role == "master")
        master = true;
      else if (role != "slave")
        CompileError(st, "Master or Slave!");
      ++st.src.TokenIndex;
      ExpectToken(st, ",");
      const std::string polarity = st.TokText();
      if (polarity == "lo")
        syncControl = static_cast<std::uint8_t>(syncControl + 1);
      else if (polarity != "hi")
        CompileError(st, "Hi or Lo (clock polarity)!");
      sync = true;
      HoldOnLine(st);
    } else if (word == "double") {
      ++st.src.TokenIndex;
      n = Divisor(st.cfg.CrystalFrequency, rate, 8);
      doubleSpeed = true;
    } else {
      --st.src.TokenIndex;
    }
  }
  // Judged by the divisor of the speed chosen: double speed reaches twice the rate.
  if (n <= 0) {
    ReportInPlace(st, "Baud rate too High for given Clock!");
  }

  const std::string ns = std::to_string(n);
  const std::string u = std::to_string(uart);
  UartLines lines;
  lines.Pair(Instr(st, "ldi", "zl,byte1(" + ns + ")"), Instr(st, "ldi", "zh,byte2(" + ns + ")"));

  // The divisor's registers, by the device file: twelve bits where the UART has a high
  // byte register, one byte on the older UARTs; a divisor beyond that cannot be loaded.
  const long limit = facts.baudHigh.empty() ? 255 : 4095;
  if (n > limit) {
    ReportInPlace(st, "Baud rate too low for given Clock!");
  } else if (const double given = static_cast<double>(st.cfg.CrystalFrequency) * 1000000.0 /
                                    static_cast<double>((doubleSpeed ? 8 : 16) * (n + 1));
             n > 0 && !sync && std::fabs(given / static_cast<double>(rate) - 1.0) > kRateTolerance) {
    // A clock that cannot reach the rate closely enough: every frame would be misread.
    ReportInPlace(st, "Baud rate not reachable with this Clock: " + RateText(given, rate) + "!");
  } else if (facts.baudHigh.empty()) {
    lines.One(WriteLine(st, facts.baudLow, "zl"));
  } else {
    // as written in place: the high byte first (writing the low byte takes both)
    lines.Pair(WriteLine(st, facts.baudHigh, "zh"), WriteLine(st, facts.baudLow, "zl"));
  }

  if (doubleSpeed) {
    lines.One(Instr(st, "ldi", "zl,0x02"));
    lines.One(WriteLine(st, facts.status, "zl"));
  }
  if (sync && facts.frame.empty()) {
    // the classic UART runs asynchronously only
    ReportInPlace(st, "Unexisting feature!");
  } else if (sync) {
    if (facts.frameSelect) syncControl |= 0x80;
    lines.One(Instr(st, "ldi", "zl,0x" + Hex2(syncControl)));
    lines.One(WriteLine(st, facts.frame, "zl"));
    // Master or slave: the XCK pin drives the clock or takes it (its direction bit, in the
    // form io_access chooses for DDRx).
    if (const auto pin = FunctionPin(st, "xck" + u)) {
      const IoForm direction = BitChangeForm(st, BitOf(PortRegister("DDR", pin->letter), pin->bit, MaskText::kHex),
                                             master, Flags::kMayChange, "zl", Reach::kData);
      for (const IoInstr& i : direction) lines.One(Instr(st, i.mnemonic, i.operands));
    }
  }
  WriteUartLines(st, lines);
  if (uart < 4) st.Cells<UartCells>().BaudRateSet[uart] = true;
}

void ParseUartFormat(CompilerState& st, std::uint8_t uart) {
  if (st.TokText() != ",") return;
  st.Cells<UartCells>().UartFormatSet[uart] = 255;
  UartFormatRecord& f = st.Cells<UartCells>().UartFormat[uart];
  ++st.src.TokenIndex;
  const std::string parity = st.TokText();
  if (parity == "n") f.Parity = 0;
  else if (parity == "m") f.Parity = 1;
  else if (parity == "s") f.Parity = 2;
  else if (parity == "o") f.Parity = 3;
  else if (parity == "e") f.Parity = 4;
  else CompileError(st, "Invalid Parity seting!");
  ++st.src.TokenIndex;
  ExpectToken(st, ",");
  HoldOnLine(st);
  const std::string bits = st.TokText();
  const double dataBits = IsWholeNumberText(bits) ? LeadingNumber(bits) : 0.0;
  if (dataBits > 4 && dataBits < 10)
    f.DataBits = static_cast<std::uint8_t>(dataBits);
  else
    CompileError(st, "Invalid Data Format seting!");
  ++st.src.TokenIndex;
  ExpectToken(st, ",");
  HoldOnLine(st);
  const std::string stop = st.TokText();
  if (stop == "1" || stop == "2")
    f.StopBits = static_cast<std::uint8_t>(stop[0] - '0');
  else
    CompileError(st, "Invalid Stop Bits seting!");
  HoldOnLine(st);
}

void CompileBaudStatement(CompilerState& st, int uart) {
  const auto n = static_cast<std::uint8_t>(uart);
  ParseUartConfig(st, n);
  HoldOnLine(st);
  ParseUartFormat(st, n);
  HoldOnLine(st);
  if (!AtLineEnd(st)) ++st.src.TokenIndex;
}

namespace {

// The interrupt-driven software UART's timing for one rate: processor cycles per bit and
// the Timer0 division that times them.
struct SoftUartTiming {
  double bitCycles = 0;
  long division = 1;
  double ticks = 0;
};

// Reads the rate at the current token (the index is left there); reports a rate Timer0
// cannot time.
SoftUartTiming SoftUartTimingFor(CompilerState& st, bool& possible) {
  const std::string text = st.TokText();
  const double rate = IsWholeNumberText(text) ? LeadingNumber(text) : 0.0;
  possible = false;
  if (rate <= 0.0) {
    ReportInPlace(st, "Baud rate not possible!");
    return {};
  }
  SoftUartTiming t;
  t.bitCycles = static_cast<double>(st.cfg.CrystalFrequency) * 1000000.0 / rate;
  int select = 1;
  t.ticks = t.bitCycles;
  // The largest count that leaves room for the handlers' allowance in the 256 of Timer0:
  // the finer the count, the closer each bit comes to its time.
  constexpr double kMaxTicks = 250.0;
  while (t.ticks > kMaxTicks && select < 5) {
    t.division *= 8;
    if (t.division == 512) t.division = 256;
    if (t.division == 2048) t.division = 1024;
    t.ticks = t.bitCycles / static_cast<double>(t.division);
    ++select;
  }
  // Timer0 divides by 1024 at most; fewer than 20 ticks per bit cannot be timed either,
  // nor a bit that leaves the main program less time than the overflow handler takes.
  const int handler = SwUartEntryCycles(st) + kSwUartLongestPath + ReturnCycles(st.dev);
  if (t.ticks < 20.0 || t.ticks > kMaxTicks || t.bitCycles < 2.0 * handler) {
    ReportInPlace(st, "Baud rate not possible!");
    return t;
  }
  possible = true;
  return t;
}

void EmitReloads(CompilerState& st, double bitCycles, double division) {
  const double c = bitCycles;
  const double d = division <= 0.0 ? 1.0 : division;
  // Each reload gives the timer the ticks of its interval less the cycles that pass from
  // the interrupt's flag to the TCNT0 write, the whole taken to the nearest tick: _rel1
  // one bit from overflow to overflow; _rel2 the start bit from _TX's cbi to the overflow
  // handler's pin write; _rel3 half a bit from the start edge to the first sample (the
  // middle of the start bit), across two handler entries.
  const int entry = SwUartEntryCycles(st);
  const double ticks[3] = {
      (c - (entry + kSwUartReloadAt)) / d,
      (c - (entry + kSwUartPinAt - kSwUartStartAfterReload)) / d,
      (c / 2.0 - (2 * entry + kSwUartReloadAt + kSwUartSampleAt)) / d,
  };
  const char* names[3] = {"_rel1,zl", "_rel2,zl", "_rel3,zl"};
  for (int i = 0; i < 3; ++i) {
    const long v = 256 - static_cast<long>(RoundHalfEven(ticks[i]));
    st.out.Instr(Sep::kWide, "ldi", "zl," + SignedNumberText(v < 0 ? 0 : v > 255 ? 255 : v));
    st.out.Instr(Sep::kWide, "sts", names[i]);
  }
}

// Baud #1 = rate where it stands: the byte going out finishes at the rate it started
// with, then Timer0's prescaler and the three reloads change together (the reloads alone
// would count the new rate's ticks at the old prescaler's pace).
void EmitSoftUartRateChange(CompilerState& st, const SoftUartTiming& t) {
  const int txon = FindGlobalVar(st, "txon");
  const int bit = txon == 0 ? 0 : st.sym.GlobalVars[txon].Size;
  const std::string wait = NewLabel(st);
  EmitLabel(st, wait);
  st.out.Instr(Sep::kNarrow, "sbrc", std::string(bit <= 7 ? "r3," : "r4,") + std::to_string(bit % 8));
  st.out.Instr(Sep::kNarrow, "rjmp", wait);
  const TimerFacts timer0 = TimerOf(st, 0);
  st.out.Instr(Sep::kWide, "ldi", "zl," + std::to_string(ClockSelectCode(timer0.prescalers, t.division)));
  EmitRegisterWrite(st, timer0.clockRegister, "zl", Reach::kInOut);
  EmitReloads(st, t.bitCycles, static_cast<double>(t.division));
}

}  // namespace

void CalcSoftUartTiming(CompilerState& st) {
  if (st.src.DeclarationsEnded) {
    // The statement Baud #1 = rate changes the running software UART of $com1; the
    // start-up code keeps the $com1 rate.
    if (!st.Cells<UartCells>().SoftUartInterrupt) {
      ReportInPlace(st, "Baud #1 needs $com1!");
      return;
    }
    bool possible = false;
    const SoftUartTiming t = SoftUartTimingFor(st, possible);
    if (possible) EmitSoftUartRateChange(st, t);
    return;
  }
  bool possible = false;
  const SoftUartTiming t = SoftUartTimingFor(st, possible);
  if (t.bitCycles <= 0.0) return;  // no rate: nothing to time
  SoftComRecord& com = st.Cells<UartCells>().SoftComPorts[0];
  com.TxBaud = std::to_string(static_cast<long>(RoundHalfEven(t.ticks)));
  com.RxBaud = std::to_string(t.division);
  st.Cells<UartCells>().SoftUartBitCycles = t.bitCycles;
  st.Cells<TimerCells>().TimerClockSelect[0] =
      static_cast<std::uint8_t>(ClockSelectCode(TimerOf(st, 0).prescalers, t.division));
}

void EmitSoftUartReloads(CompilerState& st) {
  EmitReloads(st, st.Cells<UartCells>().SoftUartBitCycles, LeadingNumber(st.Cells<UartCells>().SoftComPorts[0].RxBaud));
}

const char* MissingUartText(int uart) {
  static const char* const kMissing[] = {"No UART available!", "Not second UART available!",
                                         "Not third UART available!", "Not forth UART available!"};
  return kMissing[uart >= 0 && uart <= 3 ? uart : 0];
}

std::uint8_t UartEnableValue(const CompilerState& st, std::uint8_t uart) {
  if (st.Cells<UartCells>().UartFormatSet[uart] == 0) return 0x18;
  // The classic UART takes the parity as its ninth bit (software parity).
  if (UartOf(st, uart).frame.empty()) return 0x1c;
  return st.Cells<UartCells>().UartFormat[uart].DataBits == 9 ? 0x1c : 0x18;
}

std::uint8_t UartFrameValue(const CompilerState& st, std::uint8_t uart) {
  const UartFormatRecord& f = st.Cells<UartCells>().UartFormat[uart];
  int value = 0;
  switch (f.DataBits) {
    case 6: value = 0x02; break;
    case 7: value = 0x04; break;
    case 8:
    case 9: value = 0x06; break;
    default: value = 0x00; break;
  }
  if (f.Parity == 4)
    value |= 0x20;
  else if (f.Parity != 0)
    value |= 0x30;
  if (f.StopBits == 2) value |= 0x08;
  if (UartOf(st, uart).frameSelect) value |= 0x80;
  return static_cast<std::uint8_t>(value);
}

}  // namespace qbc
