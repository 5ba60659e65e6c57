#pragma once
// The registers of a hardware UART as the UART routines name them; each is reached in the
// form io_access chooses for it.
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The names the device file gives them (device_facts' UartOf).
struct UartRegisters {
  std::string status;   // UCSRA, UCSR0A, USR, UCSRnA
  std::string data;     // UDR, UDR0, UDRn
  std::string control;  // the register holding the ninth transmit bit (UART 0)
};

UartRegisters UartRegistersOf(CompilerState& st, int uart);

// Lines that wait until bit `bit` of the status register is set, polling through
// `scratch` where the register lies beyond sbis's reach; the first line carries `label`,
// which the wait jumps back to. Then nothing: the caller goes on with the data register.
void WriteUartWait(CompilerState& st, const UartRegisters& regs, const std::string& label, const std::string& bit,
                   const std::string& scratch);

// Fixed routine text for UART `uart`: "#" stands for the UART's digit (nothing for UART 0)
// and "%" for its digit with UART 0 written as 0.
void WriteUartText(CompilerState& st, std::string_view text, int uart);

// "in"/"lds" reg,data and "out"/"sts" data,reg lines.
void WriteUartRead(CompilerState& st, const UartRegisters& regs, const std::string& reg);
void WriteUartWrite(CompilerState& st, const UartRegisters& regs, const std::string& reg);

}  // namespace qbc
