#include "compiler/statements/hardware/soft_com_open.h"

#include <string>

#include "compiler/base/call_cycles.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/io_access.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/frontend/uart_cells.h"

namespace qbc {

namespace {

// The channel routines drive and test the pin with sbi, cbi and sbic: the port, its input
// and its direction register must all lie in the low I/O space.
bool InBitReach(CompilerState& st, char letter) {
  for (const char* prefix : {"PORT", "PIN", "DDR"})
    if (!IsBitAddressable(st, PortRegister(prefix, letter))) return false;
  return true;
}

// The bit-time count of the baud token, or -1 after a report.
long ReadBitCount(CompilerState& st) {
  const double baud = RoundHalfEven(LeadingNumber(st.TokText()));
  if (baud <= 0.0) {
    ReportInPlace(st, "Baud rate not possible!");
    return -1;
  }
  const long count = SoftComBitCount(st, baud);
  if (count > 255) ReportInPlace(st, "Baud rate too Low!");
  if (count < 2) ReportInPlace(st, "Baud rate too High!");
  return count >= 2 && count <= 255 ? count : -1;
}

}  // namespace

long SoftComBitCount(const CompilerState& st, double baud) {
  // Per bit the sender spends 9 cycles of its own and two _Wtic calls: ldi, the call,
  // 3 * count - 1 in the loop and the return.
  const int own = 9 + 2 * (RcallCycles(st.dev) + ReturnCycles(st.dev));
  const float cycles = st.cfg.CrystalFrequency * 1000000.0f / static_cast<float>(baud);
  return static_cast<long>(RoundHalfEven((static_cast<double>(cycles) - own) / 6.0));
}

void CompileOpenStatement(CompilerState& st) {
  ++st.src.TokenIndex;
  ExpectToken(st, "com");
  ExpectToken(st, "=");
  std::string port, pin;
  bool pinOk = ReadPortName(st, port);
  // PORTx, PINx or DDRx name the same pin: the routines use all three.
  const char letter = port.empty() ? ' ' : PortLetter(port);
  if (pinOk && !InBitReach(st, letter)) {
    ReportInPlace(st, "Port can not be used for software UART!");
    pinOk = false;
  }
  ExpectToken(st, ".");
  pinOk = ReadPinDigit(st, pin) && pinOk;
  kit::ExpectComma(st);
  const long count = ReadBitCount(st);
  ++st.src.TokenIndex;
  bool inverted = false;
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    ExpectToken(st, "inv");
    inverted = true;
  }
  ExpectToken(st, "for");
  const std::string direction = st.TokText();
  ++st.src.TokenIndex;
  ExpectToken(st, "as");
  ExpectToken(st, "#");
  UartCells& uart = st.Cells<UartCells>();
  if (st.Tok().Kind != kTokNumber) {
    CompileError(st, "Must be numeric constant");
    return;
  }
  const double channel = LeadingNumber(st.TokText());
  if (channel < 1 || channel > 4) {
    CompileError(st, "Channel must be 1 to 4!");
    return;
  }
  if (uart.SoftUartInterrupt) {
    // $com1 runs the software UART on interrupts; no bit-timed channel is written then.
    CompileError(st, "Open is not possible with $com1!");
    return;
  }
  SoftComRecord& com = uart.SoftComPorts[static_cast<std::size_t>(channel) - 1];
  com.Channel = static_cast<std::uint8_t>(channel);
  const std::string portName = std::string("PORT") + letter;
  const std::string bits = pinOk && count > 0 ? std::to_string(count) : std::string("2");
  if (direction == "output") {
    com.TxPort = portName;
    com.TxPin = pin;
    com.TxBaud = bits;
    st.out.Instr(Sep::kWide, inverted ? "cbi" : "sbi", portName + "," + pin);
    st.out.Instr(Sep::kWide, "sbi", std::string("DDR") + letter + "," + pin);
  } else if (direction == "input") {
    com.RxPort = portName;
    com.RxPin = pin;
    com.RxBaud = bits;
    if (inverted) ReportInPlace(st, "Inv option can be used for OUTPUT!");
    st.out.Instr(Sep::kWide, "sbi", portName + "," + pin);
  } else {
    CompileError(st, "Output or Input!");
    return;
  }
  if (inverted && direction == "output") com.Inverted = true;
  ++st.src.TokenIndex;
}

}  // namespace qbc
