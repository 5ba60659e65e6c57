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
  for (const std::string& reg : {"tccr" + n + "a", "tccr" + n})
    if (Defines(st, reg)) {
      t.modeRegister = UpperText(reg);
      break;
    }
  t.splitControl = Defines(st, "tccr" + n + "a") && Defines(st, "tccr" + n + "b");
  t.capture = Defines(st, "icr" + n + "l") || Defines(st, "icr" + n);
  for (const char channel : {'a', 'b', 'c'})
    if (Defines(st, "com" + n + channel + "0") || (channel == 'a' && Defines(st, "com" + n + "0")))
      t.outputs += static_cast<char>(channel - 'a' + 'A');
  t.pwmPerOutput = Defines(st, "pwm" + n + "a");
  if (t.pwmPerOutput && Defines(st, "pwm" + n + "b"))
    t.outputBRegister = Defines(st, "tccr" + n + "a") ? "TCCR" + n + "A" : (Defines(st, "gtccr") ? "GTCCR" : "");
  t.fastPwm = Defines(st, "wgm" + n + "1");
  t.clockInput = FunctionPin(st, "t" + n).has_value();
  if (t.pwmPerOutput && Defines(st, "ocr" + n + "c")) t.topRegister = "OCR" + n + "C";
  if (Defines(st, "assr")) t.asyncBit = DeviceBitNumber(st, "as" + n);
  if (Defines(st, "cs" + n + "3"))
    t.prescalers = Prescalers::kPowersOfTwo;
  else if (!t.sixteenBit && t.asyncBit)
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

namespace {

// The name of the register at `address`: the first of the file's definitions with that
// value after its memory sizes (the registers come first, their other names after them).
std::string RegisterAt(const CompilerState& st, std::int32_t address) {
  for (std::size_t i = 1; i < st.sym.IoRegisters.size(); ++i) {
    const IoRegisterRecord& r = st.sym.IoRegisters[static_cast<long>(i)];
    if (r.Name.empty()) break;
    if (r.Name == "ramend" || r.Name == "ramstart" || r.Name == "xramend" || r.Name == "e2end" ||
        r.Name == "eepromend" || r.Name == "flashend")
      continue;
    if (r.Value == address) return UpperText(r.Name);
  }
  return {};
}

// Where reference select bit REFSk lies in ADMUX.
std::optional<int> ReferenceBit(const CompilerState& st, int k) {
  return DeviceBitNumber(st, "refs" + std::to_string(k));
}

SleepBits& SleepRegister(std::vector<SleepBits>& regs, const std::string& reg) {
  for (SleepBits& r : regs)
    if (r.reg == reg) return r;
  return regs.emplace_back(SleepBits{reg, 0, 0});
}

}  // namespace

std::vector<SleepBits> SleepModeBits(const CompilerState& st, SleepMode mode) {
  static const char* const kModes[] = {"idle", "powerdown", "powersave", "standby", "extstandby"};
  const auto code = DeviceSymbolValue(st, std::string("sleep_") + kModes[static_cast<int>(mode)]);
  const auto enable = DeviceBitNumber(st, "se");
  if (!code || !enable) return {};
  std::vector<SleepBits> regs{{Defines(st, "smcr") ? "SMCR" : "MCUCR", 1 << *enable, 1 << *enable}};
  for (int k = 2; k >= 0; --k) {
    const std::string n = std::to_string(k);
    auto bit = DeviceBitNumber(st, "sm" + n);
    if (!bit && k == 0) bit = DeviceBitNumber(st, "sm");
    if (!bit) {
      if ((*code >> k & 1) != 0) return {};  // (the build writes no code a chip cannot hold)
      continue;
    }
    std::string reg = regs.front().reg;
    if (const auto at = DeviceSymbolValue(st, "sleep_sm" + n + "_register")) {
      reg = RegisterAt(st, *at);
      if (reg.empty()) return {};
    }
    SleepBits& r = SleepRegister(regs, reg);
    r.mask |= 1 << *bit;
    if ((*code >> k & 1) != 0) r.set |= 1 << *bit;
  }
  return regs;
}

bool SleepRegisterIsOwn(const SleepBits& first) { return first.reg == "SMCR"; }

std::optional<int> AdcReferenceBits(const CompilerState& st, std::string_view reference) {
  const auto code = DeviceSymbolValue(st, "adc_ref_" + std::string(reference));
  if (!code || !Defines(st, "admux")) return std::nullopt;
  int bits = 0;
  for (int k = 0; k <= 2; ++k) {
    if ((*code >> k & 1) == 0) continue;
    const auto bit = ReferenceBit(st, k);
    if (!bit) return std::nullopt;
    bits |= 1 << *bit;
  }
  return bits;
}

int AdcReferenceMask(const CompilerState& st) {
  int mask = 0;
  for (int k = 0; k <= 2; ++k)
    if (const auto bit = ReferenceBit(st, k)) mask |= 1 << *bit;
  return mask;
}

std::optional<PortPin> FunctionPin(const CompilerState& st, const std::string& function) {
  const auto port = DeviceSymbolValue(st, function + "_port");
  const auto bit = DeviceBitNumber(st, function + "_bit");
  if (!port || !bit) return std::nullopt;
  for (char letter = 'a'; letter <= 'l'; ++letter)
    if (DeviceSymbolValue(st, std::string("port") + letter) == port)
      return PortPin{static_cast<char>(letter - 'a' + 'A'), *bit};
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
