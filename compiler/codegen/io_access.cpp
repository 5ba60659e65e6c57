#include "compiler/codegen/io_access.h"

#include "compiler/codegen/flow_lines.h"
#include "compiler/base/symbols.h"

namespace qbc {

namespace {
std::string LowerName(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}
}  // namespace

std::string UpperName(std::string name) {
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

std::optional<std::int32_t> IoRegisterAddress(CompilerState& st, const std::string& name) {
  const int i = FindIoRegister(st, LowerName(name));
  if (i == 0) return std::nullopt;
  return st.sym.IoRegisters[i].Value;
}

bool IsBitAddressable(CompilerState& st, const std::string& name) {
  const auto a = IoRegisterAddress(st, name);
  return a && *a >= 0 && *a < 0x20;
}

}  // namespace qbc
