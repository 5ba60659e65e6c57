#include "ide/core/new_file_template.h"

#include <array>
#include <string_view>

namespace qbc {

std::string NewFileTemplate() {
  static constexpr std::array<std::string_view, 12> kLines = {
      "'/////////////////////////////////////////////////////////",
      "'///   Quorvil Basic Compiler for AVR by Kelvarin   ///",
      "'///   Name of Your project",
      "'/////////////////////////////////////////////////////////",
      "$device= 8515\t\t\t' used device",
      "$stack = 32\t\t\t\t' stack depth",
      "$clock = 3.6864\t\t\t' adjust for used crystal",
      "",
      "",
      "do\t\t\t\t\t\t' place your code in next line",
      "",
      "loop",
  };
  std::string text;
  for (std::string_view line : kLines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace qbc
