#include "compiler/frontend/device_facts.h"

#include <cctype>
#include <initializer_list>

#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {

bool Defines(const CompilerState& st, const std::string& name) { return DeviceSymbolValue(st, name).has_value(); }

// The record of a register in the file's order (0: not defined).
long RecordOf(const CompilerState& st, const std::string& lower) {
  for (std::size_t i = 1; i < st.sym.IoRegisters.size(); ++i)
    if (st.sym.IoRegisters[static_cast<long>(i)].Name == lower) return static_cast<long>(i);
  return 0;
}

// Of the names a register may have, the one the device file defines first: the chip's own
// name comes before the aliases the build adds. Upper case; empty when none is defined.
std::string OwnName(const CompilerState& st, std::initializer_list<std::string> names) {
  long best = 0;
  std::string name;
  for (const std::string& n : names) {
    const long r = RecordOf(st, n);
    if (r != 0 && (best == 0 || r < best)) {
      best = r;
      name = n;
    }
  }
  return UpperText(name);
}

}  // namespace

TimerFacts TimerOf(const CompilerState& st, int timer) {
  TimerFacts t;
  const std::string n = std::to_string(timer);
  t.present = Defines(st, "tcnt" + n) || Defines(st, "tcnt" + n + "l");
  if (!t.present) return t;
  t.sixteenBit = Defines(st, "tcnt" + n + "h");
  for (const std::string& reg : {"tccr" + n + "b", "tccr" + n, "tccr" + n + "a"})
    if (Defines(st, reg)) {
      t.clockRegister = UpperText(reg);
      break;
    }
  if (Defines(st, "cs" + n + "3"))
    t.prescalers = Prescalers::kPowersOfTwo;
  else if (!t.sixteenBit && Defines(st, "as" + n))
    t.prescalers = Prescalers::kAsync;
  else
    t.prescalers = Prescalers::kSystem;
  return t;
}

int ClockSelectCode(Prescalers set, long divisor) {
  static const long kSystem[] = {1, 8, 64, 256, 1024};
  static const long kAsync[] = {1, 8, 32, 64, 128, 256, 1024};
  switch (set) {
    case Prescalers::kSystem:
      for (int i = 0; i < 5; ++i)
        if (kSystem[i] == divisor) return i + 1;
      break;
    case Prescalers::kAsync:
      for (int i = 0; i < 7; ++i)
        if (kAsync[i] == divisor) return i + 1;
      break;
    case Prescalers::kPowersOfTwo:
      for (int k = 0; k <= 14; ++k)
        if ((1L << k) == divisor) return k + 1;
      break;
    case Prescalers::kNone:
      break;
  }
  return 0;
}

UartFacts UartOf(const CompilerState& st, int uart) {
  UartFacts u;
  const std::string n = std::to_string(uart);
  if (uart == 0) {
    u.control = OwnName(st, {"ucsr0b", "ucsrb", "ucr"});
    u.status = OwnName(st, {"ucsr0a", "ucsra", "usr"});
    u.data = OwnName(st, {"udr0", "udr"});
    u.frame = OwnName(st, {"ucsr0c", "ucsrc"});
    u.baudLow = OwnName(st, {"ubrr0l", "ubrrl", "ubrr0", "ubrr"});
    u.baudHigh = OwnName(st, {"ubrr0h", "ubrrh"});
  } else {
    u.control = OwnName(st, {"ucsr" + n + "b"});
    u.status = OwnName(st, {"ucsr" + n + "a"});
    u.data = OwnName(st, {"udr" + n});
    u.frame = OwnName(st, {"ucsr" + n + "c"});
    u.baudLow = OwnName(st, {"ubrr" + n + "l", "ubrr" + n});
    u.baudHigh = OwnName(st, {"ubrr" + n + "h"});
  }
  u.present = !u.control.empty();
  if (!u.present) return UartFacts{};
  if (!u.frame.empty() && !u.baudHigh.empty())
    u.frameSelect = DeviceSymbolValue(st, LowerText(u.frame)) == DeviceSymbolValue(st, LowerText(u.baudHigh));
  return u;
}

std::optional<PortPin> FunctionPin(const CompilerState& st, const std::string& function) {
  const auto port = DeviceSymbolValue(st, function + "_port");
  const auto bit = DeviceSymbolValue(st, function + "_bit");
  if (!port || !bit || *bit < 0 || *bit > 7) return std::nullopt;
  for (char letter = 'a'; letter <= 'l'; ++letter)
    if (DeviceSymbolValue(st, std::string("port") + letter) == port)
      return PortPin{static_cast<char>(letter - 'a' + 'A'), static_cast<int>(*bit)};
  return std::nullopt;
}

std::uint8_t PortPins(const CompilerState& st, char letter) {
  if (st.sym.DeviceSymbols.empty()) return 0xFF;
  const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  std::uint8_t pins = 0;
  for (int bit = 0; bit <= 7; ++bit) {
    const std::string b(1, static_cast<char>('0' + bit));
    for (const char* prefix : {"port", "pin", "dd", "p"})
      if (Defines(st, prefix + std::string(1, l) + b)) {
        pins = static_cast<std::uint8_t>(pins | 1 << bit);
        break;
      }
  }
  return pins;
}

PortRegisters PortRegistersOf(const CompilerState& st, char letter) {
  if (st.sym.DeviceSymbols.empty()) return {};
  const std::string l(1, static_cast<char>(std::tolower(static_cast<unsigned char>(letter))));
  return {Defines(st, "port" + l), Defines(st, "ddr" + l), Defines(st, "pin" + l)};
}

PortRegisters PortRegistersOf(const CompilerState& st, std::string_view port) {
  const char letter = PortLetter(port);
  if (letter == 0) return {};  // no port named: nothing to refuse
  return PortRegistersOf(st, letter);
}

}  // namespace qbc
