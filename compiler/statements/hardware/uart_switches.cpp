#include "compiler/statements/hardware/uart_switches.h"

#include <optional>
#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/hardware/register_bits.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

// A UART exists where the device file names its control register B.
std::optional<std::string> ControlRegister(const CompilerState& st, int uart) {
  const UartFacts facts = UartOf(st, uart);
  if (!facts.present) return std::nullopt;
  return facts.control;
}

void EmitUartControl(CompilerState& st, int uart, bool on) {
  if (uart < 0 || uart > 3 || !st.Cells<UartCells>().BaudRateSet[uart]) return;
  const auto reg = ControlRegister(st, uart);
  if (!reg) {
    // the statement steps past its word itself
    ReportInPlace(st, uart == 0 ? "Unexisting feature!" : MissingUartText(uart));
    return;
  }
  const int value = on ? UartEnableValue(st, static_cast<std::uint8_t>(uart)) : 0;
  st.out.Instr(Sep::kWide, "ldi", "zl," + Hex2(static_cast<unsigned>(value), HexForm::Prefixed0xLower));
  EmitRegisterWrite(st, *reg, "zl", Reach::kData);
  // Without the chip's own parity the UART 0 output code takes the parity bit from _SysPar.
  if (on && uart == 0 && st.Cells<UartCells>().UartFormatSet[0] != 0 && UartOf(st, 0).frame.empty()) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + Dec(st.Cells<UartCells>().UartFormat[0].Parity));
    st.out.Instr(Sep::kWide, "sts", "_SysPar,zl");
  }
}

}  // namespace

void EmitEnableUart(CompilerState& st, int uart) { EmitUartControl(st, uart, true); }

void EmitDisableUart(CompilerState& st, int uart) { EmitUartControl(st, uart, false); }

}  // namespace qbc
