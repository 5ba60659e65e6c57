#include "compiler/frontend/port_pins.h"

#include <cctype>

namespace qbc {

char PortLetter(std::string_view port) {
  const std::size_t last = port.find_last_not_of(' ');
  if (last == std::string_view::npos) return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(port[last])));
}

std::string PortLetterText(std::string_view port) {
  const char letter = PortLetter(port);
  return letter == 0 ? std::string() : std::string(1, letter);
}

std::string PortRegister(std::string_view prefix, char letter) { return std::string(prefix) + letter; }

PortPin PortPinOf(std::string_view port, std::string_view pin) {
  PortPin p;
  p.letter = PortLetter(port);
  if (!pin.empty() && pin.front() >= '0' && pin.front() <= '7') p.bit = pin.front() - '0';
  return p;
}

PortPin PortPinOfSetting(std::string_view setting) {
  const std::size_t comma = setting.find(',');
  if (comma == std::string_view::npos) return {};
  return PortPinOf(setting.substr(0, comma), setting.substr(comma + 1));
}

}  // namespace qbc
