#include "compiler/base/core_flash_read.h"

namespace qbc {

std::string CoreLineLead(const CompilerState& st, std::string_view label) {
  if (label.empty()) return st.out.MnemonicIndent;
  std::string lead(label);
  lead += ':';
  lead += st.out.OperandSeparator;
  return lead;
}

std::string CoreMnemonicSeparator(const CompilerState& st, std::string_view mnemonic) {
  return mnemonic.size() <= 3 ? st.out.MnemonicIndent : st.out.OperandSeparator;
}

void WriteFlashReadLines(CompilerState& st, std::string_view lead, std::string_view separator,
                         std::string_view reg, bool copy) {
  std::string line(lead);
  line += st.mn.LpmMnemonic;
  if (HasLpmPostIncrement(st)) {
    line += separator;
    line += reg;
    line += ",Z+";
    st.out.Line(line);
    return;
  }
  st.out.Line(line);
  st.out.Instr("adiw", "zl,0x01");
  if (copy) st.out.Line(st.out.MnemonicIndent + "mov" + st.out.MnemonicIndent + std::string(reg) + ",r0");
}

void EmitCoreFlashRead(CompilerState& st, std::string_view label, std::string_view reg) {
  WriteFlashReadLines(st, CoreLineLead(st, label), CoreMnemonicSeparator(st, st.mn.LpmMnemonic), reg, false);
}

}  // namespace qbc
