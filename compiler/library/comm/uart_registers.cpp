#include "compiler/library/comm/uart_registers.h"

#include <string_view>

#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

UartRegisters UartRegistersOf(CompilerState& st, int uart) {
  const UartFacts u = UartOf(st, uart);
  if (u.present) return {u.status, u.data, u.control};
  // No such UART: the routine is refused where it is called; its lines keep the names.
  const std::string n = uart == 0 ? "" : std::to_string(uart);
  return {"UCSR" + n + "A", "UDR" + n, "UCSR" + n + "B"};
}

void WriteUartWait(CompilerState& st, const UartRegisters& regs, const std::string& label, const std::string& bit,
                   const std::string& scratch) {
  EmitBitSkip(st, BitOf(regs.status, bit, 0, MaskText::kHex), true, scratch, Reach::kData, label);
  st.out.Instr(Sep::kNarrow, "rjmp", label);
}

void WriteUartText(CompilerState& st, std::string_view text, int uart) {
  std::string out;
  for (char c : text) {
    if (c == '#') {
      if (uart != 0) out += std::to_string(uart);
    } else if (c == '%') {
      out += std::to_string(uart);
    } else {
      out += c;
    }
  }
  st.out.Text(out);
}

void WriteUartRead(CompilerState& st, const UartRegisters& regs, const std::string& reg) {
  EmitRegisterRead(st, regs.data, reg, Reach::kData);
}

void WriteUartWrite(CompilerState& st, const UartRegisters& regs, const std::string& reg) {
  EmitRegisterWrite(st, regs.data, reg, Reach::kData);
}

}  // namespace qbc
