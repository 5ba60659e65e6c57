#pragma once
// Line writers shared by the control-flow generators. Every instruction line is the
// mnemonic indent, the mnemonic, a separator and the operands; the generators choose the
// separator per line (two TABs after most mnemonics, one TAB after branches, skips and
// calls), so both forms are spelled out here.
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc::flow {

// MnemonicIndent, mnemonic, OperandSeparator (one TAB), operands.
inline void Op1(CompilerState& st, std::string_view mnemonic, std::string_view operands) {
  st.out.Instr(Sep::kNarrow, mnemonic, operands);
}

// MnemonicIndent, mnemonic, MnemonicIndent (two TABs), operands.
inline void Op2(CompilerState& st, std::string_view mnemonic, std::string_view operands) {
  st.out.Instr(Sep::kWide, mnemonic, operands);
}

// A mnemonic alone on its line ("ijmp", "lpm").
inline void Op0(CompilerState& st, std::string_view mnemonic) { st.out.Instr(mnemonic); }

// The call of a library routine with the device's call mnemonic.
inline void CallRoutine(CompilerState& st, std::string_view label) { Op1(st, st.mn.CallMnemonic, label); }

// "rjmp" to a label: the one-word jump that the skip branches of the compare lines hop over.
inline void Rjmp(CompilerState& st, std::string_view label) { Op1(st, "rjmp", label); }

}  // namespace qbc::flow
