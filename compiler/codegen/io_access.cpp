#include "compiler/codegen/io_access.h"

#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"

namespace qbc {

std::optional<std::int32_t> IoRegisterAddress(CompilerState& st, const std::string& name) {
  const int i = FindIoRegister(st, LowerText(name));
  if (i == 0) return std::nullopt;
  return st.sym.IoRegisters[i].Value;
}

bool IsBitAddressable(CompilerState& st, const std::string& name) {
  const auto a = IoRegisterAddress(st, name);
  return a && *a >= 0 && *a < 0x20;
}

}  // namespace qbc
