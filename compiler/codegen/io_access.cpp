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

namespace {

// The register's address for the choice of instruction forms; a register the device file
// does not name counts as one the bit instructions reach.
int PortAddress(CompilerState& st, const std::string& reg) {
  const int i = FindIoRegister(st, LowerText(reg));
  return i > 0 ? st.sym.IoRegisters[i].Value : 0;
}

}  // namespace

void EmitPortBit(CompilerState& st, const std::string& reg, const std::string& pin, bool set,
                 const std::string& bitOperand, const std::string& scratch) {
  const int address = PortAddress(st, reg);
  if (address < 0x20) {
    st.out.Instr(Sep::kWide, set ? "sbi" : "cbi", bitOperand);
    return;
  }
  const bool io = address < 0x40;
  st.out.Instr(Sep::kWide, io ? "in" : "lds", scratch + "," + reg);
  st.out.Instr(Sep::kWide, set ? "sbr" : "cbr", scratch + ",1<<" + pin);
  st.out.Instr(Sep::kWide, io ? "out" : "sts", reg + "," + scratch);
}

void EmitSkipOnPortBit(CompilerState& st, const std::string& reg, const std::string& pin, bool skipIfSet,
                       const std::string& bitOperand, const std::string& scratch) {
  const int address = PortAddress(st, reg);
  if (address < 0x20) {
    st.out.Instr(Sep::kNarrow, skipIfSet ? "sbis" : "sbic", bitOperand);
    return;
  }
  st.out.Instr(Sep::kWide, address < 0x40 ? "in" : "lds", scratch + "," + reg);
  st.out.Instr(Sep::kNarrow, skipIfSet ? "sbrs" : "sbrc", scratch + "," + pin);
}

}  // namespace qbc
