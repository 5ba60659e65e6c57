#include "compiler/statements/peripherals/meta_peripheral.h"

#include <cmath>
#include <string>
#include <vector>

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/symbols.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/frontend/dim_parser.h"
#include "compiler/statements/peripherals/meta_peripheral_words.h"
#include "compiler/frontend/device_facts.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/port_pins.h"
#include "compiler/codegen/io_access.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/frontend/tokenizer.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/peripherals/pc_key_cells.h"
#include "compiler/statements/peripherals/rc5_cells.h"
#include "compiler/statements/peripherals/shift_cells.h"
#include "compiler/statements/peripherals/sound_cells.h"
#include "compiler/frontend/uart_cells.h"
#include "compiler/statements/peripherals/dtmf_cells.h"
#include "compiler/statements/peripherals/i2c_cells.h"
#include "compiler/statements/comm_display/one_wire_cells.h"

namespace qbc {

namespace {

// The software UART and the RC5 receiver each run Timer0 and its overflow handler.
constexpr const char* kTimer0Twice = "$rc5 and $com1 both need Timer0!";

// An open-drain line is switched by its direction: a port without DDRx (the ATmega103's
// ports C and F) cannot carry one.
bool HasNoDirections(const CompilerState& st, const std::string& port) {
  return !port.empty() && !PortRegistersOf(st, port).dir;
}

// The three status bits of the interrupt-driven software UART, declared like a Dim line
// (rxready is r3 bit 0, txon bit 1, txbusy bit 2 when no bit variable came before).
void DeclareSoftUartBits(CompilerState& st) {
  std::string line = "dim rxready as bit, txon as bit, txbusy as bit";
  st.src.TokenCount = 0;
  st.src.TokenIndex = 0;
  TokenizeLine(st, line);
  st.src.TokenIndex = 0;
  ParseDimList(st);
}

// The transmit pin is driven with sbi/cbi at a fixed cycle of the Timer0 handler: its PORT
// and DDR registers must lie within their reach.
bool TransmitPinInReach(CompilerState& st, const std::string& port) {
  const char letter = PortLetter(port);
  return IsBitAddressable(st, PortRegister("PORT", letter)) && IsBitAddressable(st, PortRegister("DDR", letter));
}

// "=" port "." pin "," baud: the software UART sends on the given pin and receives on the
// INT0 pin, timed by Timer0.
void ParseCom1(CompilerState& st) {
  if (st.Cells<Rc5Cells>().Rc5Port != "     ") {
    CompileError(st, kTimer0Twice);
    return;
  }
  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  SoftComRecord& com = st.Cells<UartCells>().SoftComPorts[0];
  // The receive line is the INT0 pin, where the device file puts it.
  const auto int0 = FunctionPin(st, "int0");
  if (!int0) {
    CompileError(st, "INT0 pin not known for this device!");
    return;
  }
  // The start bit is caught by its falling edge: INT0 needs its sense bits and flag.
  if (!DeviceSymbolValue(st, "isc00") || !DeviceSymbolValue(st, "isc01") || !DeviceSymbolValue(st, "intf0")) {
    CompileError(st, "Ints 0-3 are only low level trigged!");
    return;
  }
  com.RxPort = PortRegister("PORT", int0->letter);
  com.RxPin = std::to_string(int0->bit);
  ClaimInterruptVector(st, "INT0", "$com1");
  std::string port, pin;
  if (ReadPortName(st, port)) {
    if (TransmitPinInReach(st, port))
      com.TxPort = FixedText(port, 5);
    else
      ReportInPlace(st, "Port can not be used for software UART!");
  }
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) com.TxPin = pin;
  // The receive line is fixed on INT0: sending there would drive the line it listens to.
  if (!errors.Seen()) {
    const std::vector<SignalPin> signals = {MakeSignalPin("TX", com.TxPort, com.TxPin),
                                            MakeSignalPin("RX", com.RxPort, com.RxPin)};
    if (!SignalsApart(st, signals) || !ClaimLinePins(st, "$com1", signals)) return;
  }
  ExpectToken(st, ",");
  HoldOnLine(st);
  CalcSoftUartTiming(st);
  // The rate ends the line; checked here, before the bit declarations take the token list.
  const ErrorWatch rateErrors(st);
  RefuseWordsAfterSettings(st, rateErrors, 1);
  if (rateErrors.Seen()) return;
  ClaimInterruptVector(st, "OVF0", "$com1");
  if (!st.Cells<UartCells>().SoftUartInterrupt) DeclareSoftUartBits(st);
  st.Cells<UartCells>().SoftUartInterrupt = true;
}

void ParseI2c(CompilerState& st) {
  ++st.src.TokenIndex;
  HoldOnLine(st);
  const std::string word = st.TokText();
  I2cCells& i2c = st.Cells<I2cCells>();
  const ErrorWatch errors(st);
  if (word == "sda") {
    ++st.src.TokenIndex;
    ExpectToken(st, "=");
    std::string port, pin;
    if (ReadPortName(st, port)) i2c.I2cSdaPort = FixedText(port, 5);
    ExpectToken(st, ".");
    if (ReadPinDigit(st, pin)) i2c.I2cSdaPin = pin;
    ExpectToken(st, ",");
    ExpectToken(st, "scl");
    ExpectToken(st, "=");
    if (ReadPortName(st, port)) i2c.I2cSclPort = FixedText(port, 5);
    ExpectToken(st, ".");
    if (ReadPinDigit(st, pin)) i2c.I2cSclPin = pin;
    if (!errors.Seen()) {
      const std::vector<SignalPin> signals = {MakeSignalPin("SDA", i2c.I2cSdaPort, i2c.I2cSdaPin),
                                              MakeSignalPin("SCL", i2c.I2cSclPort, i2c.I2cSclPin)};
      if (SignalsApart(st, signals)) ClaimLinePins(st, "$i2c", signals);
    }
    i2c.I2cInterface = 1;
    st.used.Set(NeedWait5us);
    if (HasNoDirections(st, i2c.I2cSdaPort) || HasNoDirections(st, i2c.I2cSclPort))
      CompileError(st, "PORTC and PORTF can't be used for I2C!");
  } else if (word == "twi" || word == "usi") {
    ++st.src.TokenIndex;
    ExpectToken(st, ",");
    HoldOnLine(st);
    std::uint8_t value = word == "twi" ? 2 : 3;
    const std::string mode = st.TokText();
    if (mode == "slave") {
      value += 128;
      ++st.src.TokenIndex;
    } else if (mode == "master") {
      ++st.src.TokenIndex;
    } else {
      CompileError(st, "Master or Slave!");
    }
    i2c.I2cInterface = value;
    // Without the unit's registers the routines would fail only in the assembler.
    if (word == "twi" && FindIoRegister(st, "twcr") == 0) CompileError(st, "No TWI available!");
  } else {
    CompileError(st, "Invalid I2C interface declaration!");
  }
}

void ParsePcKey(CompilerState& st) {
  ++st.src.TokenIndex;
  const ErrorWatch errors(st);
  PcKeyCells& pcKey = st.Cells<PcKeyCells>();
  std::string port, pin;
  ExpectToken(st, "data");
  ExpectToken(st, "=");
  if (ReadPortName(st, port)) pcKey.PcKeyDataPort = FixedText(port, 5);
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) pcKey.PcKeyDataPin = pin;
  ExpectToken(st, ",");
  ExpectToken(st, "clock");
  ExpectToken(st, "=");
  if (ReadPortName(st, port)) pcKey.PcKeyClockPort = FixedText(port, 5);
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) pcKey.PcKeyClockPin = pin;
  if (!errors.Seen()) {
    const std::vector<SignalPin> signals = {MakeSignalPin("DATA", pcKey.PcKeyDataPort, pcKey.PcKeyDataPin),
                                            MakeSignalPin("CLOCK", pcKey.PcKeyClockPort, pcKey.PcKeyClockPin)};
    if (SignalsApart(st, signals)) ClaimLinePins(st, "$pckey", signals);
  }
  pcKey.NeedPcKey = true;
  pcKey.PcKeyInit = true;
  HoldOnLine(st);
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    HoldOnLine(st);
    if (st.TokText() == "noinit") {
      pcKey.PcKeyInit = false;
      ++st.src.TokenIndex;
    } else {
      CompileError(st, "NoInit!");
    }
  }
}

// "=" port "." pin { "," port "." pin }: buses 0 .. LastBusIndex, in the order given.
void ParseOneWire(CompilerState& st) {
  constexpr int kLastBus = 8;
  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  auto& buses = st.Cells<OneWireCells>().OneWireBuses;
  std::string port, pin;
  if (ReadPortName(st, port)) buses[0].Port = port;
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) buses[0].Pin = pin;
  buses[0].LastBusIndex = 0;
  int bus = 0;
  HoldOnLine(st);
  while (st.TokText() == ",") {
    ++st.src.TokenIndex;
    if (bus == kLastBus) {
      CompileError(st, "9 buses max for 1Wire!");
      return;
    }
    ++bus;
    buses[0].LastBusIndex = bus;
    if (ReadPortName(st, port)) buses[bus].Port = port;
    ExpectToken(st, ".");
    if (ReadPinDigit(st, pin)) buses[bus].Pin = pin;
    HoldOnLine(st);
  }
  if (errors.Seen()) return;
  std::vector<SignalPin> signals;
  for (int b = 0; b <= bus; ++b) signals.push_back(MakeSignalPin("1WIRE", buses[b].Port, buses[b].Pin));
  ClaimLinePins(st, "$1wire", signals);
}

// The tone is Timer1's 8-bit phase-correct PWM on OC1A (TCCR1A and TCCR1B in their 16-bit
// layout, the 16-bit OCR1A or OCR1), its overflow the sample clock; the pin comes from the
// device file. The tiny26 and tiny25/45/85 Timer1 (eight bits, PWM up to OCR1C) and the
// ATmega406's (no output) cannot make it. (A chip without Timer1 has no overflow vector
// for it either, which the line reports.)
bool LacksDtmfTimer(const CompilerState& st) {
  const TimerFacts t = TimerOf(st, 1);
  return t.present &&
         !(t.sixteenBit && t.splitControl && t.outputs.find('A') != std::string::npos && FunctionPin(st, "oc1a"));
}

// "=" port "." pin "," duration: the tone on a Timer1 PWM pin, the sine synthesis in the
// Timer1 overflow interrupt.
void ParseDtmf(CompilerState& st) {
  if (LacksDtmfTimer(st)) {
    ReportInPlace(st, "DTMF needs Timer1's 16-bit PWM on OC1A!");
    SkipToStatementEnd(st);
    return;
  }
  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  std::string port, pin;
  if (ReadPortName(st, port)) st.Cells<DtmfCells>().DtmfPort = FixedText(port, 5);
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) st.Cells<DtmfCells>().DtmfPin = pin;
  if (!errors.Seen() && !ClaimLinePins(st, "$dtmf", {MakeSignalPin("DTMF", port, pin)})) return;
  ExpectToken(st, ",");
  HoldOnLine(st);
  std::uint8_t ms = 0;
  if (ReadByteValue(st, ms, "Must be numeric constant")) st.Cells<DtmfCells>().DtmfVector = ms;
  // The phase increments are counted in clock cycles, each in a byte: the highest tone's
  // (1633 Hz) outgrows it below about 3.34 MHz.
  const double mhz = st.cfg.CrystalFrequency;
  if (mhz <= 0.0) {
    ReportInPlace(st, "Set $clock before $dtmf!");
  } else if (RoundHalfEven(1633.0 * 522240.0 / (mhz * 1000000.0)) > 255.0) {
    ReportInPlace(st, "DTMF needs a clock of 3.34 MHz or more!");
  }
  ClaimInterruptVector(st, "OVF1", "$dtmf");
  st.Cells<DtmfCells>().DtmfUsed = true;
}

void ParseSound(CompilerState& st) {
  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  std::string port, pin;
  if (ReadPortName(st, port)) st.Cells<SoundCells>().SoundPort = port;
  ExpectToken(st, ".");
  const bool pinOk = ReadPinDigit(st, pin);
  if (pinOk) st.Cells<SoundCells>().SoundPin = pin;
  if (!errors.Seen() && !ClaimLinePins(st, "$sound", {MakeSignalPin("SOUND", port, pin)})) return;
  st.Cells<SoundCells>().SoundPinDeclared = true;
  HoldOnLine(st);
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    ExpectToken(st, "inverse");
    st.Cells<SoundCells>().SoundInverse = true;
  }
}

// "data" "=" port "." pin "," "clock" "=" port "." pin "," order [ "," nops ].
void ParseShift(CompilerState& st, bool out) {
  ShiftCells& shift = st.Cells<ShiftCells>();
  std::string& dataPort = out ? shift.ShiftOutPort : shift.ShiftInPort;
  std::string& dataPin = out ? shift.ShiftOutDataPin : shift.ShiftInDataPin;
  std::string& clockPin = out ? shift.ShiftOutClockPin : shift.ShiftInClockPin;
  std::uint8_t& mode = out ? shift.ShiftOutMode : shift.ShiftInMode;

  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "data");
  ExpectToken(st, "=");
  std::string port, pin;
  if (ReadPortName(st, port)) dataPort = port;
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) dataPin = pin;
  ExpectToken(st, ",");
  ExpectToken(st, "clock");
  ExpectToken(st, "=");
  HoldOnLine(st);
  if (UpperText(st.TokText()) != dataPort) {
    CompileError(st, "CLOCK must be on same port as DATA!");
  } else {
    ++st.src.TokenIndex;
  }
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) clockPin = pin;
  if (!errors.Seen()) {
    const std::vector<SignalPin> signals = {MakeSignalPin("DATA", dataPort, dataPin),
                                            MakeSignalPin("CLOCK", dataPort, clockPin)};
    if (!SignalsApart(st, signals) || !ClaimLinePins(st, out ? "$shiftout" : "$shiftin", signals)) return;
  }
  ExpectToken(st, ",");
  HoldOnLine(st);
  const std::string order = st.TokText();
  if (order == "msb" || order == "lsb") {
    (out ? shift.ShiftOutMsbFirst : shift.ShiftInMsbFirst) = order == "msb";
    ++st.src.TokenIndex;
  } else {
    CompileError(st, "Msb or Lsb!");
  }
  HoldOnLine(st);
  mode = 0;
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    std::uint8_t n = 0;
    if (ReadByteValue(st, n, "Must be numeric constant")) mode = n;
  }
  if (out)
    shift.ShiftOutDeclared = true;
  else
    shift.ShiftInDeclared = true;
}

// "=" port "." pin [ "," "interrupt" ]: the receiver samples the pin once per bit from the
// Timer0 overflow interrupt.
void ParseRc5(CompilerState& st) {
  if (st.Cells<UartCells>().SoftUartInterrupt) {
    CompileError(st, kTimer0Twice);
    return;
  }
  const ErrorWatch errors(st);
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  std::string port, pin;
  if (ReadPortName(st, port)) st.Cells<Rc5Cells>().Rc5Port = FixedText(port, 5);
  ExpectToken(st, ".");
  if (ReadPinDigit(st, pin)) st.Cells<Rc5Cells>().Rc5Pin = pin;
  if (!errors.Seen() && !ClaimLinePins(st, "$rc5", {MakeSignalPin("RC5", port, pin)})) return;
  HoldOnLine(st);
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    ExpectToken(st, "interrupt");
    st.Cells<Rc5Cells>().Rc5Interrupt = true;
  }
  // The bit time is counted in timer ticks of the clock: without a clock there is none.
  if (st.cfg.CrystalFrequency <= 0.0f) {
    ReportInPlace(st, "Set $clock before $rc5!");
  } else {
    st.Cells<Rc5Cells>().Rc5Vector = static_cast<std::uint8_t>(Rc5TimerReload(st, 1778.0));
  }
  ClaimInterruptVector(st, "OVF0", "$rc5");
}

}  // namespace

Rc5TimerSetting Rc5TimerPrescaler(const CompilerState& st) {
  const float f = st.cfg.CrystalFrequency;  // the ranges' bounds compare in single precision
  // The ranges of the clock, each with its divisor; between 1.1 and 1.2 MHz the larger
  // one (at /8 a bit would not fit in the timer there).
  int divisor = 256;
  if (f < 0.3f)
    divisor = 1;
  else if (f <= 1.1f)
    divisor = 8;
  else if (f <= 8.0f)
    divisor = 64;
  // A bit time longer than the timer's 256 counts takes the next divisor up.
  static const int kSteps[] = {1, 8, 64, 256, 1024};
  for (int d : kSteps)
    if (d >= divisor && (static_cast<double>(f) * 1778.0 / d <= 256.0 || d == 1024)) {
      divisor = d;
      break;
    }
  Rc5TimerSetting s;
  s.Divisor = divisor;
  s.ClockSelect = static_cast<std::uint8_t>(ClockSelectCode(TimerOf(st, 0).prescalers, divisor));
  return s;
}

int Rc5TimerReload(const CompilerState& st, double microseconds) {
  const double ticks = static_cast<double>(st.cfg.CrystalFrequency) * microseconds / Rc5TimerPrescaler(st).Divisor;
  const double reload = RoundHalfEven(256.0 - ticks);
  return reload < 0 ? 0 : reload > 255 ? 255 : static_cast<int>(reload);
}

void RefuseWordsAfterSettings(CompilerState& st, const ErrorWatch& errors, int offset) {
  HoldOnLine(st);
  if (errors.Seen()) return;
  const TokenRecord& next = st.Tok(offset);
  if (next.Kind == kTokEol || next.Text == "<EOL>" || next.Text == ":") return;
  // Words the line does not take would otherwise be passed over unseen.
  st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenIndex + offset);
  ReportInPlace(st, "Syntax error!");
}

void ParsePeripheralMetaStatement(CompilerState& st) {
  const ErrorWatch errors(st);
  const std::string word = st.TokText();
  if (word == "com1")
    ParseCom1(st);
  else if (word == "key")
    ParseKeyMetaStatement(st);
  else if (word == "i2c")
    ParseI2c(st);
  else if (word == "pckey")
    ParsePcKey(st);
  else if (word == "1wire")
    ParseOneWire(st);
  else if (word == "dtmf")
    ParseDtmf(st);
  else if (word == "sound")
    ParseSound(st);
  else if (word == "shiftout")
    ParseShift(st, true);
  else if (word == "shiftin")
    ParseShift(st, false);
  else if (word == "lcd")
    ParseLcdMetaStatement(st);
  else if (word == "rc5")
    ParseRc5(st);
  // $com1 checks its own end (its bit declarations replace the line's tokens).
  if (word != "com1") RefuseWordsAfterSettings(st, errors, 0);
}

}  // namespace qbc
