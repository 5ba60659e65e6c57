#pragma once
// Every float routine but _Fmov unpacks, packs or converts through the float core
// (_Fwrk1.._Fwrk3, _Fback, _Fnan, ...), so a generator that calls one links the core too.
// Setting only the routine's own flag left the core out whenever no float operand load
// happened to set it, and the program did not assemble.
#include "compiler/base/flags/float_flags.h"
#include "compiler/base/state.h"

namespace qbc {

inline void UseFloatRoutine(CompilerState& st, UsedFlag routine) {
  st.used.Set(routine);
  st.used.Set(NeedFloatCore);
}

}  // namespace qbc
