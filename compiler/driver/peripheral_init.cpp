#include "compiler/driver/peripheral_init.h"

#include <string>

#include "compiler/base/decl_text.h"
#include "compiler/frontend/number_format_cells.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/comm_display/glcd_init.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/codegen/io_access.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/peripherals/dtmf_cells.h"
#include "compiler/statements/peripherals/dtmf_statement.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "compiler/statements/peripherals/keypad_cells.h"
#include "compiler/statements/peripherals/lcd_cells.h"
#include "compiler/statements/peripherals/pc_key_cells.h"
#include "compiler/statements/peripherals/shift_cells.h"
#include "compiler/statements/peripherals/sound_cells.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/frontend/device_facts.h"

namespace qbc {

namespace {

// The UART's registers by the device file; the classic UART (no frame register) takes
// the parity in software (_SysPar).
void EmitUart(CompilerState& st, std::uint8_t uart) {
  const UartFacts facts = UartOf(st, uart);
  const bool hasFormat = st.Cells<UartCells>().UartFormatSet[uart] != 0;
  const std::string n = uart == 0 ? "" : std::to_string(uart);
  // (no such UART: its $baud line was refused; the lines keep the numbered names)
  const std::string control = facts.present ? facts.control : "UCSR" + n + "B";

  const std::string enable = "zl,0x" + HexLower(UartEnableValue(st, uart));
  st.out.Instr(Sep::kWide, "ldi", enable);
  if (hasFormat && !facts.frame.empty()) {
    st.out.Instr(Sep::kWide, "ldi", "zh,0x" + Hex2(UartFrameValue(st, uart)));
    EmitRegisterWrite(st, facts.frame, "zh", Reach::kData);
  }
  EmitRegisterWrite(st, control, "zl", Reach::kData);
  if (uart == 0 && hasFormat && facts.present && facts.frame.empty()) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + std::to_string(st.Cells<UartCells>().UartFormat[0].Parity));
    st.out.Instr(Sep::kWide, "sts", "_SysPar,zl");
  }
}

void EmitDtmfTimer(CompilerState& st) {
  for (const char* r : {"r10", "r11", "r12", "r13"}) st.out.Instr(Sep::kWide, "clr", r);
  // Timer1 runs 8-bit phase-correct PWM on OC1A from here on; its overflow interrupt is
  // _DTMF's to switch on while a tone plays; io_access reaches the registers where the
  // device file puts them (the extended I/O on the newer megas).
  const Reach unnamed = Reach::kInOut;
  st.out.Instr(Sep::kWide, "ldi", "zl,0x81");
  EmitRegisterWrite(st, "TCCR1A", "zl", unnamed);
  st.out.Instr(Sep::kWide, "ldi", "zl,0x01");
  EmitRegisterWrite(st, "TCCR1B", "zl", unnamed);
  // The tone comes out on OC1A whatever pin $dtmf names ($dtmf is refused where the device
  // file gives no OC1A pin; without a device file the named one stands for it).
  const DtmfCells& dtmf = st.Cells<DtmfCells>();
  std::string letter = PortLetterText(dtmf.DtmfPort);
  std::string pin = dtmf.DtmfPin;
  if (const auto oc1a = FunctionPin(st, "oc1a")) {
    letter = std::string(1, oc1a->letter);
    pin = std::to_string(oc1a->bit);
  }
  EmitBitChange(st, PinBit("DDR" + letter, pin), true, Flags::kMayChange, "zl");
}

// Makes a shift port's clock pin an output.
void EmitClockPinOutput(CompilerState& st, const std::string& port, const std::string& pin) {
  const std::string x = PortLetterText(port);
  IoBit bit = PinBit("DDR" + x, pin);
  bit.comma = ", ";
  EmitBitChange(st, bit, true, Flags::kMayChange, "zl");
}

void EmitFormatCells(CompilerState& st) {
  NumberFormatCells& numbers = st.Cells<NumberFormatCells>();
  // The cells are declared when either format number or the fill character is set; SRAM
  // is not cleared at reset, so every declared cell is given its value.
  const bool format = numbers.FormatDigits != 0 || numbers.FormatDecimals != 0;
  numbers.FormatCellsAt = st.out.Position();
  numbers.FormatCellsDeclared = format;
  numbers.LeadCellDeclared = format || numbers.LeadChar != 0;
  if (format) {
    st.out.Instr(Sep::kWide, "ldi", "zl," + std::to_string(numbers.FormatDigits));
    st.out.Instr(Sep::kWide, "sts", "_fmtC,zl");
    st.out.Instr(Sep::kWide, "ldi", "zl," + std::to_string(numbers.FormatDecimals));
    st.out.Instr(Sep::kWide, "sts", "_fmtD,zl");
  }
  if (format || numbers.LeadChar != 0) {
    st.out.Instr(Sep::kWide, "ldi", "zl,0x" + HexUpper(numbers.LeadChar));
    st.out.Instr(Sep::kWide, "sts", "_lchr,zl");
  }
}

}  // namespace

void EmitPeripheralInit(CompilerState& st) {
  const Configuration& cfg = st.cfg;
  const UartCells& uart = st.Cells<UartCells>();
  const DtmfCells& dtmf = st.Cells<DtmfCells>();
  const GlcdCells& glcd = st.Cells<GlcdCells>();
  const ShiftCells& shift = st.Cells<ShiftCells>();
  const PcKeyCells& pcKey = st.Cells<PcKeyCells>();
  const KeypadCells& keys = st.Cells<KeypadCells>();
  const SoundCells& sound = st.Cells<SoundCells>();
  for (std::uint8_t n = 0; n < 4; ++n)
    if (uart.BaudRateSet[n]) EmitUart(st, n);

  if (dtmf.DtmfUsed) EmitDtmfTimer(st);

  if (!uart.UartInitText.empty()) {
    std::string text = uart.UartInitText;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      st.out.Line(text.substr(start, end - start));
      start = end + 2;
    }
    st.out.Line();
  }
  for (int i = 0; i < static_cast<int>(cfg.InitCodeLines.size()); ++i) {
    if (cfg.InitCodeLines[i].empty()) break;
    st.out.Line(cfg.InitCodeLines[i]);
  }

  if (uart.SoftUartInterrupt) EmitCall(st, "_UAini");
  if (glcd.GlcdType == 1 && !glcd.GlcdNoInit) CompileGlcdInitStatement(st);
  if (st.Cells<LcdCells>().LcdConfigured) EmitCall(st, "LcdIni");
  if (shift.ShiftOutDeclared) EmitClockPinOutput(st, shift.ShiftOutPort, shift.ShiftOutClockPin);
  if (shift.ShiftInDeclared) EmitClockPinOutput(st, shift.ShiftInPort, shift.ShiftInClockPin);
  if (pcKey.NeedPcKey) {
    if (pcKey.PcKeyInit) {
      EmitCall(st, "_PCini");
    } else {
      const std::string data = "PORT" + PortLetterText(pcKey.PcKeyDataPort);
      const std::string clock = "PORT" + PortLetterText(pcKey.PcKeyClockPort);
      EmitBitChange(st, PinBit(data, pcKey.PcKeyDataPin), true, Flags::kMayChange, "zl");
      EmitBitChange(st, PinBit(clock, pcKey.PcKeyClockPin), true, Flags::kMayChange, "zl");
    }
  }
  if (keys.KeysDeclared && !KeypadIsMatrix(keys) && !keys.KeyConfigured)
    EmitCall(st, "_KyIni");
  if (sound.SoundPinDeclared) {
    EmitBitChange(st, PinBit(sound.SoundPort, sound.SoundPin), sound.SoundInverse, Flags::kMayChange, "zl");
    const std::string ddr = "DDR" + PortLetterText(sound.SoundPort);
    EmitBitChange(st, PinBit(ddr, sound.SoundPin), true, Flags::kMayChange, "zl");
  }
  EmitFormatCells(st);
}

void EmitUserCodeBanner(CompilerState& st) {
  st.out.Line();
  st.out.Line(";******" + st.out.OperandSeparator + "USERS BASIC CODE **********************");
  if (st.Tok().Kind != kTokDollar) EmitEndOfUserCode(st);
}

}  // namespace qbc
