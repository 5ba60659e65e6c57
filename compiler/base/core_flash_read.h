#pragma once
// The flash read that several core routines share: the byte at Z into a register, Z
// stepped past it, and the gap rule of the core routines' lines.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// True when the chip's flash read steps Z itself ("lpm r0,Z+", or "elpm r0,Z+" where the
// flash reaches beyond 64 KB): the core instructions its device file gives.
inline bool HasLpmPostIncrement(const CompilerState& st) {
  return st.dev.NeedRampz ? st.dev.ElpmPostIncrement : st.dev.LpmPostIncrement;
}

// The read of the byte at Z, laid out by the caller: `lead` opens the first line (an
// indent, or a label with what follows it), `sep` stands between the mnemonic and
// "reg,Z+". Without post-increment the bare load puts the byte into r0 and an
// "adiw zl,0x01" line steps Z; with `copy` a "mov reg,r0" line then moves it on.
void WriteFlashReadLines(CompilerState& st, std::string_view lead, Sep sep, std::string_view reg, bool copy);

// Writes the read of the byte at Z into reg (r0 on cores without post-increment, where
// the caller moves it on) and steps Z. The first line carries `label` when it is not
// empty. The gap after the mnemonic is two TABs for two- and three-letter mnemonics
// and one TAB for longer ones, as in every line of these routines.
void EmitCoreFlashRead(CompilerState& st, std::string_view label, std::string_view reg);

// Gap after a mnemonic in the core routines: wide after two- and three-letter ones,
// narrow after longer ones.
Sep CoreMnemonicSep(std::string_view mnemonic);

}  // namespace qbc
