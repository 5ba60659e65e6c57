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
  st.out.Instr(mnemonic, operands);
}

// MnemonicIndent, mnemonic, MnemonicIndent (two TABs), operands.
inline void Op2(CompilerState& st, std::string_view mnemonic, std::string_view operands) {
  std::string line = st.out.MnemonicIndent;
  line += mnemonic;
  line += st.out.MnemonicIndent;
  line += operands;
  st.out.Line(line);
}

// A mnemonic alone on its line ("ijmp", "lpm").
inline void Op0(CompilerState& st, std::string_view mnemonic) { st.out.Instr(mnemonic); }

// The call of a library routine with the device's call mnemonic.
inline void CallRoutine(CompilerState& st, std::string_view label) { Op1(st, st.mn.CallMnemonic, label); }

// "rjmp" to a label: the one-word jump that the skip branches of the compare lines hop over.
inline void Rjmp(CompilerState& st, std::string_view label) { Op1(st, "rjmp", label); }

// The bytes of an integer value of `type` in the working registers (zl, zh, r18, r19) beside
// the registers that hold the left operand of a comparison (r24, r25, r16, r17), low byte
// first: one line per byte, `first` for the low byte and `rest` for the others ("cp" and
// "cpc" to compare, "mov" and "mov" to move the value over). Returns false, writing nothing,
// for a type that is not a bit or an integer type.
inline bool EmitIntegerBytePairs(CompilerState& st, std::uint8_t type, std::string_view first,
                                 std::string_view rest) {
  static constexpr std::string_view kPairs[] = {"r24,zl", "r25,zh", "r16,r18", "r17,r19"};
  int bytes = 0;
  switch (type) {
    case kTypeBit:
    case kTypeByte: bytes = 1; break;
    case kTypeInteger:
    case kTypeWord: bytes = 2; break;
    case kTypeLong: bytes = 4; break;
    default: return false;
  }
  for (int i = 0; i < bytes; ++i) Op2(st, i == 0 ? first : rest, kPairs[i]);
  return true;
}

}  // namespace qbc::flow
