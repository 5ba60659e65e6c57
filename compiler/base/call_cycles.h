#pragma once
// The cycles a call and its return take on the device: routines timed by counting cycles
// (the bit-timed software UARTs) depend on them. Chips with a 22-bit program counter push a
// three-byte return address and take one cycle more for each.
#include "compiler/base/state.h"

namespace qbc {

// The bytes a call pushes.
inline int ReturnAddressBytes(const DeviceProfile& dev) { return dev.WideProgramCounter ? 3 : 2; }
// rcall (call takes one cycle more; the library routines call each other with rcall).
inline int RcallCycles(const DeviceProfile& dev) { return dev.WideProgramCounter ? 4 : 3; }
inline int ReturnCycles(const DeviceProfile& dev) { return dev.WideProgramCounter ? 5 : 4; }
// The call a statement writes: call where the chip has it, else rcall.
inline int StatementCallCycles(const CompilerState& st) {
  return RcallCycles(st.dev) + (st.mn.CallMnemonic == "call" ? 1 : 0);
}

}  // namespace qbc
