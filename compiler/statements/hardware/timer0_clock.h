#pragma once
// Timer0's clock-select code for a prescaler. The m64, m128 and m103 clock Timer0 through
// their asynchronous prescaler, which also divides by 32 and 128, so their codes for 64,
// 256 and 1024 differ.
#include "compiler/base/state.h"

namespace qbc {

inline int Timer0ClockSelect(const CompilerState& st, int divisor) {
  const std::string& name = st.dev.DeviceName;
  const bool asyncTimer0 = st.dev.IsM103 || name == "m64" || name == "m128";
  switch (divisor) {
    case 1: return 1;
    case 8: return 2;
    case 64: return asyncTimer0 ? 4 : 3;
    case 256: return asyncTimer0 ? 6 : 4;
    default: return asyncTimer0 ? 7 : 5;
  }
}

}  // namespace qbc
