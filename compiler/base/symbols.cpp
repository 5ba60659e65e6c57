#include "compiler/base/symbols.h"

#include <string>

#include "compiler/base/compile_error.h"

namespace qbc {

namespace {

// Records 1 .. last until an empty Name; `last` is the highest index the table's count
// can reach.
template <class Table>
int ScanToEmptyName(const Table& table, long last, std::string_view name) {
  for (long i = 1; i <= last; ++i) {
    const std::string& n = table[i].Name;
    if (n.empty()) return 0;
    if (n == name) return static_cast<int>(i);
  }
  return 0;
}

constexpr long kLastByteIndex = 255;
constexpr long kLastConstIndex = 512;
constexpr long kLastIoRegisterSearched = 699;

}  // namespace

int FindGlobalVar(CompilerState& st, std::string_view name) {
  return ScanToEmptyName(st.sym.GlobalVars, kLastByteIndex, name);
}

int FindConst(CompilerState& st, std::string_view name) {
  return ScanToEmptyName(st.sym.Constants, kLastConstIndex, name);
}

int FindDefAlias(CompilerState& st, std::string_view name) { return ScanToEmptyName(st.sym.Defs, kLastByteIndex, name); }

int FindLocalVar(CompilerState& st, std::string_view name) {
  for (long i = 0; i <= st.sym.LocalVarCount; ++i) {
    const LocalVarRecord& r = st.sym.LocalVars[i];
    if (r.OwnerProc == st.sym.CurrentSubName && r.Name == name) return static_cast<int>(i + 1);
  }
  return 0;
}

int FindSub(CompilerState& st, std::string_view name) {
  for (long i = 0; i <= st.sym.SubCount; ++i)
    if (st.sym.Procs[i].Name == name) return static_cast<int>(i + 1);
  return 0;
}

int FindIoRegister(CompilerState& st, std::string_view name) {
  for (long i = 1; i <= kLastIoRegisterSearched; ++i)
    if (st.sym.IoRegisters[i].Name == name) return static_cast<int>(i);
  return 0;
}

std::optional<std::int32_t> DeviceSymbolValue(const CompilerState& st, std::string_view name) {
  const auto it = st.sym.DeviceSymbols.find(std::string(name));
  if (it == st.sym.DeviceSymbols.end()) return std::nullopt;
  return it->second;
}

std::optional<int> DeviceBitNumber(const CompilerState& st, std::string_view name) {
  const auto v = DeviceSymbolValue(st, name);
  if (!v || *v < 0 || *v > 7) return std::nullopt;
  return static_cast<int>(*v);
}

bool HasExternalMemoryBus(CompilerState& st) {
  return st.sym.IoRegisters[1].Name.empty() || FindIoRegister(st, "sre") > 0 || FindIoRegister(st, "xmcra") > 0;
}

void DefineConst(CompilerState& st, const std::string& name, const std::string& value, std::uint8_t type) {
  for (long i = 1; i <= kLastConstIndex; ++i) {
    ConstRecord& r = st.sym.Constants[i];
    if (r.Name.empty()) {
      r.Name = name;
      r.Value = value;
      r.ConstType = type;
      return;
    }
  }
  // Every record is taken: refuse the constant rather than write past the table.
  ReportInPlace(st, "Too many constants!");
}

}  // namespace qbc
