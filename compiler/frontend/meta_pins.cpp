#include "compiler/frontend/meta_pins.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/line_errors.h"
#include "compiler/base/source_names.h"
#include "compiler/frontend/device_facts.h"
#include "compiler/frontend/handler_cells.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"

namespace qbc {

std::string FixedText(std::string text, std::size_t length) {
  text.resize(length, ' ');
  return text;
}

bool PortOnDevice(CompilerState& st, std::string_view port) {
  // Before a device file is read there is no register table to look in.
  if (st.sym.DeviceSymbols.empty()) return true;
  // The port is there when any of its registers is: the m103's output-only PORTC and
  // input-only PINF are refused by the lines that cannot use them, with their own message.
  if (port.empty()) return false;
  const std::string letter = LowerText(port.substr(port.size() - 1));
  // A port whose registers the file defines but none of its pins (ports H to L in the
  // ATmega2561's file) is not there either.
  if (PortPins(st, static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])))) == 0) return false;
  for (const char* prefix : {"port", "pin", "ddr"}) {
    const std::string name = prefix + letter;
    if (FindIoRegister(st, name) != 0 || DeviceSymbolValue(st, name).has_value()) return true;
  }
  return false;
}

bool PinOnDevice(CompilerState& st, char letter, int bit) {
  if (PortHasPin(st, letter, bit)) return true;
  ReportInPlace(st, "No pin P" + std::string(1, letter) + std::to_string(bit) + " on this device!");
  return false;
}

bool RegisterBitOnDevice(CompilerState& st, std::string_view reg, int bit) {
  if (bit < 0 || bit > 7) {
    ReportInPlace(st, "From 0 to 7!");
    return false;
  }
  const std::string name = UpperText(reg.substr(0, reg.find_last_not_of(' ') + 1));
  const bool port = (name.size() == 5 && name.starts_with("PORT")) ||
                    (name.size() == 4 && (name.starts_with("PIN") || name.starts_with("DDR")));
  if (!port) return true;
  return PinOnDevice(st, name.back(), bit);
}

bool ReadPortName(CompilerState& st, std::string& port) {
  HoldOnLine(st);
  std::string text = st.TokText();
  if (st.Tok().Kind == kTokEol || !IsPortRegister(text)) {
    CompileError(st, "Must be a valid AVR Port!");
    return false;
  }
  // A register the chip lacks would stand in the start-up and routine lines and fail only
  // in the assembler; it is reported here as the statements that name a pin report it.
  if (!PortOnDevice(st, text)) {
    CompileError(st, "Unknown identifier " + st.TokText());
    return false;
  }
  port = text;
  ++st.src.TokenIndex;
  return true;
}

bool ReadPinDigit(CompilerState& st, std::string& pin) {
  HoldOnLine(st);
  const std::string text = st.TokText();
  if (st.Tok().Kind != kTokNumber || text.size() != 1 || !IsBitIndex(text)) {
    CompileError(st, "From 0 to 7!");
    return false;
  }
  pin = text;
  ++st.src.TokenIndex;
  return true;
}

bool ReadPortPin(CompilerState& st, std::string& port, std::string& pin) {
  const bool portOk = ReadPortName(st, port);
  ExpectToken(st, ".");
  const bool pinOk = ReadPinDigit(st, pin);
  return portOk && pinOk;
}

bool ReadByteValue(CompilerState& st, std::uint8_t& value, std::string_view message) {
  HoldOnLine(st);
  const std::string text = st.TokText();
  double v = -1;
  if (const int c = FindConst(st, text); c > 0 && st.sym.Constants[c].ConstType == kTokNumber) {
    v = LeadingNumber(st.sym.Constants[c].Value);
  } else if (st.Tok().Kind == kTokNumber && IsWholeNumberText(text)) {
    v = LeadingNumber(text);
  }
  if (v < 0 || v > 255) {
    CompileError(st, message);
    return false;
  }
  value = static_cast<std::uint8_t>(RoundHalfEven(v));
  ++st.src.TokenIndex;
  return true;
}

SignalPin MakeSignalPin(std::string signal, std::string_view port, std::string_view pin) {
  SignalPin s;
  s.signal = std::move(signal);
  const PortPin p = PortPinOf(port, pin);
  if (p.letter == 0 || p.bit < 0 || pin.size() != 1) return s;
  s.letter = p.letter;
  s.bit = p.bit;
  return s;
}

bool SignalsApart(CompilerState& st, const std::vector<SignalPin>& signals) {
  for (std::size_t i = 0; i < signals.size(); ++i)
    for (std::size_t j = i + 1; j < signals.size(); ++j) {
      const SignalPin& a = signals[i];
      const SignalPin& b = signals[j];
      if (a.letter == 0 || a.letter != b.letter || a.bit != b.bit) continue;
      ReportInPlace(st, a.signal + " and " + b.signal + " on the same pin!");
      return false;
    }
  return true;
}

namespace {

// The pins of every peripheral line read so far, by the line's name.
struct LinePinCells {
  std::map<std::string, std::vector<SignalPin>> Pins;
};

bool SamePin(const SignalPin& a, const SignalPin& b) { return a.letter != 0 && a.letter == b.letter && a.bit == b.bit; }

// The lines whose routines are built to share pins with another line's signals: the keypad
// scan leaves the character LCD's data lines as it found them (it drives them only between
// two LCD writes, and every LCD write sets their directions and levels anew), so its rows
// and columns may lie on the LCD's DB4 to DB7. Any other two lines on one pin would fight
// over it.
struct SharedPins {
  std::string_view line;
  std::string_view other;
  std::string_view otherSignals;  // the start of the other line's signal names it may share
};
constexpr SharedPins kSharedPins[] = {{"$key", "$lcd", "DB"}};

bool MayShare(const std::string& line, const SignalPin& s, const std::string& other, const SignalPin& h) {
  for (const SharedPins& p : kSharedPins) {
    if (line == p.line && other == p.other && h.signal.starts_with(p.otherSignals)) return true;
    if (other == p.line && line == p.other && s.signal.starts_with(p.otherSignals)) return true;
  }
  return false;
}

}  // namespace

bool ClaimLinePins(CompilerState& st, const std::string& line, const std::vector<SignalPin>& signals) {
  for (const SignalPin& s : signals)
    if (s.letter != 0 && !PinOnDevice(st, s.letter, s.bit)) return false;
  auto& pins = st.Cells<LinePinCells>().Pins;
  const auto earlier = pins.find(line);
  for (const SignalPin& s : signals) {
    // a line given again keeps its own pins
    bool kept = false;
    if (earlier != pins.end())
      for (const SignalPin& e : earlier->second) kept = kept || SamePin(s, e);
    if (kept) continue;
    for (const auto& [other, held] : pins) {
      if (other == line) continue;
      for (const SignalPin& h : held) {
        if (!SamePin(s, h) || MayShare(line, s, other, h)) continue;
        ReportInPlace(st, s.signal + " pin already used by " + other + "!");
        return false;
      }
    }
  }
  pins[line] = signals;
  return true;
}

int FindVectorByPrefix(CompilerState& st, std::string_view prefix) {
  const std::string& countText = st.sym.InterruptVectors[0].Name;
  const int last = static_cast<int>(st.sym.InterruptVectors.size()) - 1;
  int count = IsWholeNumberText(countText) ? static_cast<int>(LeadingNumber(countText)) : 0;
  if (count > last) count = last;
  for (int i = 1; i <= count; ++i) {
    const std::string& name = st.sym.InterruptVectors[i].Name;
    if (name.size() >= prefix.size() && UpperText(name.substr(0, prefix.size())) == prefix) return i;
  }
  return 0;
}

std::string VectorTakenMessage(std::string_view vector, const std::string& by) {
  return "Interrupt " + std::string(vector) + " already used by " + by + "!";
}

bool ClaimInterruptVector(CompilerState& st, std::string_view prefix, const std::string& by) {
  const int v = FindVectorByPrefix(st, prefix);
  if (v == 0) {
    ReportInPlace(st, "No " + std::string(prefix) + " interrupt on this device!");
    return false;
  }
  // (two lines whose handlers share a vector are refused for the timer they share)
  HandlerCells& handlers = st.Cells<HandlerCells>();
  const bool taken = std::any_of(handlers.LibraryVectors.begin(), handlers.LibraryVectors.end(),
                                 [&](const HandlerCells::LibraryVector& l) { return l.Vector == v; });
  if (!taken) {
    for (const HandlerCells::Place& d : handlers.Declared)
      if (d.Vector == v)
        CompileErrorAt(st, d.FileName, d.LineNumber, VectorTakenMessage(UpperText(SourceName(d.Name)), by));
    handlers.LibraryVectors.push_back({v, by});
  }
  st.sym.InterruptVectors[v].Used = true;
  if (v > st.sym.HighestVectorUsed) st.sym.HighestVectorUsed = static_cast<std::uint8_t>(v);
  return true;
}

}  // namespace qbc
