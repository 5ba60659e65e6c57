#include "compiler/library/core/core_flash_read.h"

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

void EmitCoreFlashRead(CompilerState& st, std::string_view label, std::string_view reg) {
  const std::string& lpm = st.mn.LpmMnemonic;
  if (HasLpmPostIncrement(st)) {
    st.out.Line(CoreLineLead(st, label) + lpm + CoreMnemonicSeparator(st, lpm) + std::string(reg) + ",Z+");
    return;
  }
  st.out.Line(CoreLineLead(st, label) + lpm);
  st.out.Line(CoreLineLead(st, {}) + "adiw" + st.out.OperandSeparator + "zl,0x01");
}

}  // namespace qbc
