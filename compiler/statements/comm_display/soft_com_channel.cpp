#include "compiler/statements/comm_display/soft_com_channel.h"

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/frontend/uart_cells.h"

namespace qbc {

namespace {

int Refuse(CompilerState& st, std::string_view message) {
  CompileError(st, message);
  SkipToStatementEnd(st);
  return 0;
}

}  // namespace

int ReadSoftChannel(CompilerState& st, ComDirection direction, std::string_view notNumber) {
  ++st.src.TokenIndex;
  if (st.Tok().Kind != kTokNumber) return Refuse(st, notNumber);
  const double n = LeadingNumber(st.TokText());
  if (n < 1 || n > 4) return Refuse(st, "Channel must be 1 to 4!");
  const UartCells& uart = st.Cells<UartCells>();
  // $com1 runs one software UART on interrupts, and no bit-timed channel is written.
  if (uart.SoftUartInterrupt) return Refuse(st, "Not possible with $com1!");
  const int com = static_cast<int>(n);
  if (!ComOpenFor(st, com, direction)) {
    SkipToStatementEnd(st);
    return 0;
  }
  ++st.src.TokenIndex;
  return com;
}

bool InterruptUartConfigured(const CompilerState& st) { return st.Cells<UartCells>().SoftUartInterrupt; }

bool ReadInterruptChannel(CompilerState& st) {
  ++st.src.TokenIndex;
  if (st.Tok().Kind != kTokNumber || st.TokText() != "1") return Refuse(st, "Not possible with $com1!") != 0;
  ++st.src.TokenIndex;
  return true;
}

bool ComOpenFor(CompilerState& st, int com, ComDirection direction) {
  const SoftComRecord& r = st.Cells<UartCells>().SoftComPorts[static_cast<std::size_t>(com - 1)];
  const bool open = direction == ComDirection::kOutput ? !r.TxPort.empty() : !r.RxPort.empty();
  if (!open) {
    ReportInPlace(st, direction == ComDirection::kOutput ? "Channel not opened for Output!"
                                                        : "Channel not opened for Input!");
  }
  return open;
}

std::string ComLabel(std::string_view head, int com, std::string_view tail) {
  std::string label(head);
  label += static_cast<char>('0' + com);
  label += tail;
  return label;
}

void MarkComUsed(CompilerState& st, int com, ComDirection direction) {
  SoftComRecord& r = st.Cells<UartCells>().SoftComPorts[static_cast<std::size_t>(com - 1)];
  if (direction == ComDirection::kOutput)
    r.PrintUsed = true;
  else
    r.InputUsed = true;
  st.used.Set(NeedWaitTicks);
}

}  // namespace qbc
