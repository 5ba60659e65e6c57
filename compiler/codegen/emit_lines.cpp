#include "compiler/codegen/emit_lines.h"

#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"

namespace qbc {

void EmitLoadFlashLabelZ(CompilerState& st, const std::string& label) {
  st.out.Instr(Sep::kWide, "ldi", "zl,byte1(" + label + "*2)");
  st.out.Instr(Sep::kWide, "ldi", "zh,byte2(" + label + "*2)");
  if (st.dev.NeedRampz) {
    st.out.Instr(Sep::kWide, "ldi", "r18,byte3(" + label + "*2)");
    st.out.Instr(Sep::kWide, "out", "RAMPZ,r18");
  }
}

void EmitCall(CompilerState& st, std::string_view label) { st.out.Instr(Sep::kNarrow, st.mn.CallMnemonic, label); }

void CallLibrary(CompilerState& st, std::string_view label, UsedFlag flag) {
  EmitCall(st, label);
  st.used.Set(flag);
}

int IoRegisterValue(CompilerState& st, std::string_view name) {
  int k = FindIoRegister(st, LowerText(name));
  if (k == 0) k = FindIoRegister(st, name);
  if (k == 0) return -1;
  return st.sym.IoRegisters[k].Value;
}

namespace {
bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}
}  // namespace

int BitTextValue(CompilerState& st, std::string_view bit) {
  if (AllDigits(bit)) return bit.size() > 5 ? -1 : std::stoi(std::string(bit));
  if (int c = FindConst(st, bit); c != 0) {
    const std::string& v = st.sym.Constants[c].Value;
    if (AllDigits(v) && v.size() <= 5) return std::stoi(v);
    return -1;
  }
  if (bit.empty()) return -1;
  const int reg = IoRegisterValue(st, bit);
  return reg;
}

std::string BitOperand(CompilerState& st, const std::string& bit) {
  const int v = BitTextValue(st, bit);
  return v >= 0 ? Dec(v) : bit;
}

std::string BitMaskText(int bit) {
  const unsigned mask = (bit >= 0 && bit < 8) ? (1u << bit) : 0u;
  return Hex2(mask, HexForm::Prefixed0xUpper);
}

std::string Dec(long value) { return std::to_string(value); }

void EmitDataCell(CompilerState& st, const std::string& label, int bytes) {
  st.out.Line();
  st.out.Instr(".DSEG");
  st.out.InstrAfter(label + ":" + st.out.Gap(Sep::kWide), Sep::kNarrow, ".byte", std::to_string(bytes));
  st.out.Instr(".CSEG");
  st.sym.SystemVarBytes = static_cast<std::int16_t>(st.sym.SystemVarBytes + bytes);
}

}  // namespace qbc
