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

void EmitPortBit(CompilerState& st, const std::string& reg, const std::string& pin, bool set,
                 const std::string& bitOperand) {
  const int i = FindIoRegister(st, LowerText(reg));
  const int address = i > 0 ? st.sym.IoRegisters[i].Value : 0;
  if (i == 0 || address < 0x20) {
    st.out.Instr(Sep::kWide, set ? "sbi" : "cbi", bitOperand);
    return;
  }
  const bool io = address < 0x40;
  st.out.Instr(Sep::kWide, io ? "in" : "lds", "zl," + reg);
  st.out.Instr(Sep::kWide, set ? "sbr" : "cbr", "zl,1<<" + pin);
  st.out.Instr(Sep::kWide, io ? "out" : "sts", reg + ",zl");
}

}  // namespace qbc
