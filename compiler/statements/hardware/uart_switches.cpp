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

namespace qbc {

namespace {

// A UART exists where the device file names its control register B: UART 0 under its
// numbered name on the chips with several UARTs, under UCSRB or UCR on the others.
std::optional<std::string> ControlRegister(const CompilerState& st, int uart) {
  const std::string numbered = "UCSR" + std::to_string(uart) + "B";
  if (RegisterAddress(st, numbered)) return numbered;
  if (uart == 0)
    for (const char* name : {"UCSRB", "UCR"})
      if (RegisterAddress(st, name)) return std::string(name);
  return std::nullopt;
}

const char* const kMissingUart[] = {"", "Not second UART available!", "Not third UART available!",
                                    "Not forth UART available!"};

void EmitUartControl(CompilerState& st, int uart, bool on) {
  if (uart < 0 || uart > 3 || !st.Cells<UartCells>().BaudRateSet[uart]) return;
  const auto reg = ControlRegister(st, uart);
  if (!reg) {
    // the statement steps past its word itself
    ReportInPlace(st, uart == 0 ? "Unexisting feature!" : kMissingUart[uart]);
    return;
  }
  const int value = on ? UartEnableValue(st, static_cast<std::uint8_t>(uart)) : 0;
  st.out.Instr(Sep::kWide, "ldi", "zl," + Hex2(static_cast<unsigned>(value), HexForm::Prefixed0xLower));
  EmitRegisterWrite(st, *reg, "zl", Reach::kData);
  // Without the chip's own parity the UART 0 output code takes the parity bit from _SysPar.
  if (on && uart == 0 && st.Cells<UartCells>().UartFormatSet[0] != 0 && !st.dev.MegaUartDevice) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + Dec(st.Cells<UartCells>().UartFormat[0].Parity));
    st.out.Instr(Sep::kWide, "sts", "_SysPar,zl");
  }
}

}  // namespace

void EmitEnableUart(CompilerState& st, int uart) { EmitUartControl(st, uart, true); }

void EmitDisableUart(CompilerState& st, int uart) { EmitUartControl(st, uart, false); }

}  // namespace qbc
