#include "compiler/driver/meta_statement.h"

#include <array>
#include <utility>

#include "compiler/base/decl_text.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/init_code_lines.h"
#include "compiler/driver/code_meta_statements.h"
#include "compiler/frontend/device_loader.h"
#include "compiler/frontend/number_format_cells.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/peripherals/meta_glcd.h"
#include "compiler/statements/peripherals/meta_peripheral.h"
#include "compiler/base/compile_error.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/base/symbols.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/hardware/timer_config.h"

namespace qbc {

namespace {

void ParseStack(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  const std::string value = st.TokText();
  const int c = FindConst(st, value);
  if (c > 0) {
    st.cfg.StackSize = NumberText(LeadingNumber(st.sym.Constants[c].Value));
  } else if (st.Tok().Kind == kTokNumber) {
    st.cfg.StackSize = value;
  } else {
    CompileError(st, "Must be numeric constant");
  }
}

void ParseClock(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  HoldOnLine(st);
  std::string value = st.TokText();
  if (!AtLineEnd(st)) {
    ++st.src.TokenIndex;
    if (st.TokText() == "." || st.TokText() == ",") {
      value += "." + st.Tok(1).Text;
      st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + 2);
    }
  }
  const double mhz = IsWholeNumberText(value) ? LeadingNumber(value) : 0.0;
  // Delay, baud and timer counts are computed from the clock and must fit their integers:
  // a clock beyond any AVR's is refused (and no clock is left set).
  constexpr double kFastestClockMHz = 100.0;
  if (mhz > kFastestClockMHz) {
    ReportInPlace(st, "Clock " + value + " out of range (at most 100 MHz)!");
    st.cfg.CrystalFrequency = 0.0f;
    st.cfg.ClockRefused = true;
  } else {
    st.cfg.CrystalFrequency = static_cast<float>(mhz);
    st.cfg.ClockRefused = false;
  }
  --st.src.TokenIndex;
}

// The watchdog period and prescaler code; the lines set the prescaler with the watchdog
// left off (the timed sequence: change enable, then the new value with WDE clear).
void ParseWatchdog(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  const std::string period = st.TokText();
  static const std::array<std::pair<const char*, int>, 10> kNewMega = {{{"2", 0}, {"4", 1}, {"8", 2}, {"16", 3},
      {"32", 4}, {"64", 5}, {"128", 6}, {"256", 7}, {"512", 8}, {"1024", 9}}};
  static const std::array<std::pair<const char*, int>, 8> kClassic = {
      {{"16", 0}, {"32", 1}, {"64", 2}, {"128", 3}, {"256", 4}, {"512", 5}, {"1024", 6}, {"2048", 7}}};
  // Ten periods where the watchdog has WDP3 (in bit 5 of WDTCSR; bit 3 is WDE), eight on
  // the watchdogs with three prescaler bits.
  const bool fourBits = DeviceSymbolValue(st, "wdp3").has_value();
  int code = -1;
  if (fourBits) {
    for (const auto& [p, c] : kNewMega)
      if (period == p) code = c;
  } else {
    for (const auto& [p, c] : kClassic)
      if (period == p) code = c;
  }
  if (code < 0) {
    CompileError(st, "Not valid setting!");
    code = 0;
  }
  // WDTCSR of the newer megas keeps WDP3 in bit 5 (bit 3 is WDE); keep it there in both
  // writes.
  int prescaler = code & 0x07;
  int keep = 0x17;
  if (fourBits) {
    if (code & 0x08) prescaler |= 0x20;
    keep = 0x37;
  }
  const int first = prescaler | 0x18;
  const int second = first & keep;
  // written where the register lies (the timed sequence allows a single instruction each)
  const std::string reg = fourBits ? "WDTCSR" : "WDTCR";
  const std::string store =
      st.out.InstrText(Sep::kWide, WriteMnemonic(RegisterReach(st, reg, fourBits ? Reach::kData : Reach::kInOut)), reg + ",zl");
  AppendInitCodeLine(st, st.out.InstrText(Sep::kWide, "ldi", "zl,0x" + HexLower(static_cast<std::uint32_t>(first))));
  AppendInitCodeLine(st, store);
  AppendInitCodeLine(st, st.out.InstrText(Sep::kWide, "ldi", "zl,0x" + HexLower(static_cast<std::uint32_t>(second))));
  AppendInitCodeLine(st, store);
  ++st.src.TokenIndex;
}

// A format number: a constant's value, a number token, or (first number only) the word
// "scientific" for 0. Returns false after reporting.
bool FormatNumber(CompilerState& st, bool allowScientific, std::uint8_t& out) {
  const std::string t = st.TokText();
  const int c = FindConst(st, t);
  if (c > 0) {
    out = static_cast<std::uint8_t>(static_cast<long>(LeadingNumber(st.sym.Constants[c].Value)));
  } else if (allowScientific && t == "scientific") {
    out = 0;
  } else if (st.Tok().Kind == kTokNumber) {
    out = static_cast<std::uint8_t>(static_cast<long>(LeadingNumber(t)));
  } else {
    CompileError(st, "Must be numeric constant");
    return false;
  }
  return true;
}

void ParseLeadChar(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  if (st.Tok().Kind == kTokString && !st.TokText().empty()) {
    st.Cells<NumberFormatCells>().LeadChar = static_cast<std::uint8_t>(st.TokText()[0]);
  } else {
    ReportInPlace(st, "Must be one Char String!");
  }
  ++st.src.TokenIndex;
  HoldOnLine(st);
  if (st.TokText() != ",") return;
  ++st.src.TokenIndex;
  ExpectToken(st, "format");
  ExpectToken(st, "(");
  std::uint8_t value = 0;
  if (FormatNumber(st, true, value)) st.Cells<NumberFormatCells>().FormatDigits = value;
  ++st.src.TokenIndex;
  ExpectToken(st, ",");
  if (FormatNumber(st, false, value)) st.Cells<NumberFormatCells>().FormatDecimals = value;
  ++st.src.TokenIndex;
  ExpectToken(st, ")");
}

// The terminator as the two hexadecimal digits the Input and print-line-end routines
// write after "0x". Accepted: "&h" digits, a decimal number, a one-character string.
void ParseTermChar(CompilerState& st, std::string& setting, bool& isSet) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  ExpectToken(st, "(");
  HoldOnLine(st);
  bool ok = true;
  std::uint8_t code = 0;
  if (st.TokText() == "&") {
    ++st.src.TokenIndex;
    std::string digits = st.TokText();
    code = static_cast<std::uint8_t>(IsHexConstant(digits) & 0xFF);
  } else if (st.Tok().Kind == kTokNumber && IsWholeNumberText(st.TokText())) {
    code = static_cast<std::uint8_t>(static_cast<long>(LeadingNumber(st.TokText())) & 0xFF);
  } else if (st.Tok().Kind == kTokString && st.TokText().size() == 1) {
    code = static_cast<std::uint8_t>(st.TokText()[0]);
  } else {
    ok = false;
    ReportInPlace(st, "Must be numeric constant");
  }
  ++st.src.TokenIndex;
  if (ok) {
    setting = Hex2(code);
    isSet = true;
  }
}

void ParseSource(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  if (st.TokText() == "off") st.cfg.ListSourceInAsm = false;
}

void ParseAngles(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  const std::string w = st.TokText();
  if (w == "deegrees")
    st.cfg.AnglesDegrees = true;
  else if (w == "radians")
    st.cfg.AnglesDegrees = false;
  else
    CompileError(st, "Deegrees or Radians!");
}

void ParseDevice(CompilerState& st) {
  if (!st.dev.DeviceName.empty()) {
    // A second device file would be included beside the first: the assembler refuses its
    // second .DEVICE and every register it defines again, inside that file.
    ReportInPlace(st, "Device already specified!");
    return;
  }
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  ParseDeviceMetaStatement(st);
}

void ParseBaud(CompilerState& st, std::uint8_t uart) {
  ParseUartConfig(st, uart);
  HoldOnLine(st);
  ParseUartFormat(st, uart);
}

bool IsPeripheralWord(const std::string& w) {
  static const std::array<const char*, 11> kWords = {"com1",  "key",      "i2c",     "pckey", "1wire", "dtmf",
                                                      "sound", "shiftout", "shiftin", "lcd",   "rc5"};
  for (const char* k : kWords)
    if (w == k) return true;
  return false;
}

}  // namespace

void ParseInputTermCharMetaStatement(CompilerState& st) {
  ParseTermChar(st, st.Cells<UartCells>().InputTermChar, st.Cells<UartCells>().InputTermCharSet);
}

void ParsePrintTermCharMetaStatement(CompilerState& st) {
  ParseTermChar(st, st.Cells<UartCells>().PrintTermChar, st.Cells<UartCells>().PrintTermCharSet);
}

void ParseMetaStatement(CompilerState& st) {
  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  const std::string word = st.TokText();
  if (word == "jtag") {
    st.cfg.JtagOff = true;
  } else if (IsPeripheralWord(word)) {
    ParsePeripheralMetaStatement(st);
  } else if (word == "device") {
    ParseDevice(st);
  } else if (word == "stack") {
    ParseStack(st);
  } else if (word == "clock") {
    ParseClock(st);
  } else if (word == "inputtermchar") {
    ParseInputTermCharMetaStatement(st);
  } else if (word == "printtermchar") {
    ParsePrintTermCharMetaStatement(st);
  } else if (word == "baud" || word == "baud0") {
    ParseBaud(st, 0);
  } else if (word == "baud1") {
    ParseBaud(st, 1);
  } else if (word == "baud2") {
    ParseBaud(st, 2);
  } else if (word == "baud3") {
    ParseBaud(st, 3);
  } else if (word == "source") {
    ParseSource(st);
  } else if (word == "angles") {
    ParseAngles(st);
  } else if (word == "def") {
    ParseDefMetaStatement(st);
  } else if (TimerOfWord(word) >= 0) {
    ParseTimerMetaStatement(st, TimerOfWord(word));
  } else if (word == "watchdog") {
    ParseWatchdog(st);
  } else if (word == "leadchar") {
    ParseLeadChar(st);
  } else if (word == "spi") {
    ParseSpiMetaStatement(st);
  } else if (word == "glcd" || word == "gctrl") {
    ParseGraphicLcdMetaStatement(st);
  } else {
    CompileError(st, "Unknown settings!");
  }
  HoldOnLine(st);
  if (errors.Seen()) {
    // The rest of a line that reported an error is not read: its tokens would otherwise be
    // taken for the first statement of the program and end the declarations there.
    while (!AtLineEnd(st)) ++st.src.TokenIndex;
  } else if (!AtLineEnd(st)) {
    ++st.src.TokenIndex;
  }
}

}  // namespace qbc
