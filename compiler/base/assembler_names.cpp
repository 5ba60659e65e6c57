#include "compiler/base/assembler_names.h"

#include <utility>

namespace qbc {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<int> CpuRegisterNumber(std::string_view name) {
  if (name.size() == 2) {
    const char a = Lower(name[0]), b = Lower(name[1]);
    if ((a == 'x' || a == 'y' || a == 'z') && (b == 'l' || b == 'h'))
      return (a == 'x' ? 26 : a == 'y' ? 28 : 30) + (b == 'h' ? 1 : 0);
  }
  if (name.size() < 2 || name.size() > 3 || Lower(name[0]) != 'r' || !Digit(name[1])) return std::nullopt;
  if (name.size() == 2) return name[1] - '0';
  if (name[1] == '0' || !Digit(name[2])) return std::nullopt;
  const int r = (name[1] - '0') * 10 + (name[2] - '0');
  return r <= 31 ? std::optional<int>(r) : std::nullopt;
}

std::optional<AsmFunction> AsmFunctionNamed(std::string_view lowerName) {
  static constexpr std::pair<std::string_view, AsmFunction> kFunctions[] = {
      {"low", AsmFunction::kLow},     {"high", AsmFunction::kHigh},   {"byte1", AsmFunction::kByte1},
      {"byte2", AsmFunction::kByte2}, {"byte3", AsmFunction::kByte3}, {"byte4", AsmFunction::kByte4},
      {"lwrd", AsmFunction::kLwrd},   {"hwrd", AsmFunction::kHwrd},   {"page", AsmFunction::kPage},
      {"exp2", AsmFunction::kExp2},   {"log2", AsmFunction::kLog2},   {"defined", AsmFunction::kDefined}};
  for (const auto& [name, function] : kFunctions)
    if (name == lowerName) return function;
  return std::nullopt;
}

}  // namespace qbc
