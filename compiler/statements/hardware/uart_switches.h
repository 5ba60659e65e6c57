#pragma once
// Switching a hardware UART's receiver and transmitter on or off at run time (Enable /
// Disable Uart0 .. Uart3).
#include "compiler/base/state.h"

namespace qbc {

// Writes the UART's control register when its baud rate was set (nothing otherwise);
// reports a UART the device does not have.
void EmitEnableUart(CompilerState& st, int uart);
void EmitDisableUart(CompilerState& st, int uart);

}  // namespace qbc
