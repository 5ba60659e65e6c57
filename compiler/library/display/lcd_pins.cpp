#include "compiler/library/display/lcd_pins.h"

#include <cctype>

#include "compiler/codegen/emit_lines.h"

namespace qbc::lcdpins {

char PortLetter(std::string_view port) {
  return port.empty() ? 'B' : static_cast<char>(std::toupper(static_cast<unsigned char>(port.back())));
}

Pin ParsePin(std::string_view setting) {
  Pin pin;
  const auto comma = setting.find(',');
  if (comma == std::string_view::npos || comma + 1 >= setting.size()) return pin;
  pin.letter = PortLetter(setting.substr(0, comma));
  pin.bit = setting[comma + 1] - '0';
  return pin;
}

std::string RegisterName(std::string_view prefix, char letter) { return std::string(prefix) + letter; }

bool BitAddressable(CompilerState& st, std::string_view prefix, char letter) {
  return IsBitAddressable(IoRegisterValue(st, RegisterName(prefix, letter)));
}

bool InOutAddressable(CompilerState& st, std::string_view prefix, char letter) {
  return IsInOutAddressable(IoRegisterValue(st, RegisterName(prefix, letter)));
}

void WritePinBit(CompilerState& st, std::string_view label, std::string_view prefix, const Pin& pin, bool high,
                 std::string_view scratch) {
  const std::string reg = RegisterName(prefix, pin.letter);
  auto first = [&](Sep sep, std::string_view mnemonic, const std::string& operands) {
    if (label.empty())
      st.out.Instr(sep, mnemonic, operands);
    else
      st.out.Instr(label, sep, mnemonic, operands);
  };
  if (BitAddressable(st, prefix, pin.letter)) {
    first(Sep::kWide, high ? "sbi" : "cbi", reg + "," + Dec(pin.bit));
    return;
  }
  const std::string s(scratch);
  first(Sep::kWide, "lds", s + "," + reg);
  st.out.Instr(Sep::kWide, high ? "sbr" : "cbr", s + "," + Dec(1L << pin.bit));
  st.out.Instr(Sep::kWide, "sts", reg + "," + s);
}

}  // namespace qbc::lcdpins
