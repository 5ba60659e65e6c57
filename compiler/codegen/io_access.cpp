#include "compiler/codegen/io_access.h"

#include "compiler/codegen/flow_lines.h"
#include "compiler/frontend/symbols.h"

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

void EmitReadIoRegister(CompilerState& st, const std::string& name, const std::string& reg) {
  const auto a = IoRegisterAddress(st, name);
  if (a && *a >= 0x40)
    flow::Op2(st, "lds", reg + "," + UpperName(name));
  else
    flow::Op1(st, "in", reg + "," + UpperName(name));
}

void EmitWriteIoRegister(CompilerState& st, const std::string& name, const std::string& reg) {
  const auto a = IoRegisterAddress(st, name);
  if (a && *a >= 0x40)
    flow::Op2(st, "sts", UpperName(name) + "," + reg);
  else
    flow::Op2(st, "out", UpperName(name) + "," + reg);
}

bool IsBitAddressable(CompilerState& st, const std::string& name) {
  const auto a = IoRegisterAddress(st, name);
  return a && *a >= 0 && *a < 0x20;
}

}  // namespace qbc
