#pragma once
// Where the interrupt-driven software UART's handlers act, in cycles from the first
// instruction of the handler. The library writes the handlers to these offsets, and the
// Timer0 reloads allow for them, so every bit lasts its time.
#include "compiler/base/call_cycles.h"
#include "compiler/base/state.h"

namespace qbc {

// Both handlers write TCNT0 with the out that starts at this cycle.
inline constexpr int kSwUartReloadAt = 5;
// The overflow handler's sbi/cbi of the transmit pin, for a data bit and the stop bit.
inline constexpr int kSwUartPinAt = 22;
// The overflow handler's sbic of the receive pin.
inline constexpr int kSwUartSampleAt = 21;
// _TX drives the start bit with the cbi right after its TCNT0 write.
inline constexpr int kSwUartStartAfterReload = 1;
// The overflow handler's longest path, from its first instruction to the end of its reti
// less the reti (the end of a received byte, which turns INT0 back on).
inline constexpr int kSwUartLongestPath = 41;

// Cycles from an interrupt's flag to its handler's first instruction: the response, which
// pushes the return address, and the vector's jump.
inline int SwUartEntryCycles(const CompilerState& st) {
  return (st.dev.WideProgramCounter ? 5 : 4) + (st.mn.JumpMnemonic == "jmp" ? 3 : 2);
}

}  // namespace qbc
