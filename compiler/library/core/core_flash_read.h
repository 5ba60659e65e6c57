#pragma once
// The one-line or two-line flash read that several core routines share: the byte at Z
// into a register, Z stepped past it.
#include <string>
#include <string_view>

#include "compiler/frontend/state.h"

namespace qbc {

// True when the device reads flash with post-increment ("lpm r0,Z+").
inline bool HasLpmPostIncrement(const CompilerState& st) { return st.dev.MegaCore || st.dev.TinyLpmDevice; }

// Writes the read of the byte at Z into reg (r0 on cores without post-increment, where
// the caller moves it on) and steps Z. The first line carries `label` when it is not
// empty. The separator after a mnemonic is two TABs for two- and three-letter mnemonics
// and one TAB for longer ones, as in every line of these routines.
void EmitCoreFlashRead(CompilerState& st, std::string_view label, std::string_view reg);

// Lead of an instruction line: "label:" and one TAB, or two TABs.
std::string CoreLineLead(const CompilerState& st, std::string_view label);
// Separator after a mnemonic: two TABs after two- and three-letter ones, one TAB after longer.
std::string CoreMnemonicSeparator(const CompilerState& st, std::string_view mnemonic);

}  // namespace qbc
