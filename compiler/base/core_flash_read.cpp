#include "compiler/base/core_flash_read.h"

#include <string>

namespace qbc {

Sep CoreMnemonicSep(std::string_view mnemonic) { return mnemonic.size() <= 3 ? Sep::kWide : Sep::kNarrow; }

void WriteFlashReadLines(CompilerState& st, std::string_view lead, Sep sep, std::string_view reg, bool copy) {
  if (HasLpmPostIncrement(st)) {
    st.out.InstrAfter(lead, sep, st.mn.LpmMnemonic, std::string(reg) + ",Z+");
    return;
  }
  st.out.InstrAfter(lead, sep, st.mn.LpmMnemonic);
  st.out.Instr(Sep::kNarrow, "adiw", "zl,0x01");
  if (copy) st.out.Instr(Sep::kWide, "mov", std::string(reg) + ",r0");
}

void EmitCoreFlashRead(CompilerState& st, std::string_view label, std::string_view reg) {
  WriteFlashReadLines(st, st.out.LabelLead(label), CoreMnemonicSep(st.mn.LpmMnemonic), reg, false);
}

}  // namespace qbc
