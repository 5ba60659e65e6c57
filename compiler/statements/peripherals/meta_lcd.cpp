// $lcd: "=" data "," "rs" "=" rs [ "," enable ] "," columns "," rows [ "," option ].
// Pin mode: data port (".", first data pin for four lines; "," for eight), RS and enable
// pins ("en", or "e1" and "e2" for a display of two controllers). Bus mode: "&h" addresses of the command (data item) and data (rs item) registers
// on the external memory bus.
#include <algorithm>
#include <string>
#include <vector>

#include "compiler/frontend/device_facts.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/statements/peripherals/meta_peripheral_words.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/base/symbols.h"
#include "compiler/statements/peripherals/lcd_cells.h"

namespace qbc {

namespace {

// The address after "&": its value (from the hexadecimal digits after "h").
std::uint32_t ReadBusAddress(CompilerState& st) {
  ++st.src.TokenIndex;
  HoldOnLine(st);
  std::string digits = st.TokText();
  std::uint32_t value = 0;
  if (!digits.empty() && digits[0] == 'b')
    value = static_cast<std::uint32_t>(IsBinConstant(digits));
  else
    value = static_cast<std::uint32_t>(IsHexConstant(digits));
  if (!AtLineEnd(st)) ++st.src.TokenIndex;
  return value & 0xFFFF;
}

std::string FourHexDigits(std::uint32_t value) {
  std::string digits = HexLower(value);
  return std::string(4 - std::min<std::size_t>(4, digits.size()), '0') + digits;
}

// port "." pin as "PORTB,3".
bool ReadPinSetting(CompilerState& st, std::string& setting) {
  std::string port, pin;
  if (!ReadPortPin(st, port, pin)) return false;
  setting = port + "," + pin;
  return true;
}

// A "PORTB,3" setting as a signal on its pin.
SignalPin SettingPin(const char* signal, const std::string& setting) {
  const std::size_t comma = setting.find(',');
  if (comma == std::string::npos) return SignalPin{signal, 0, 0};
  return MakeSignalPin(signal, std::string_view(setting).substr(0, comma), std::string_view(setting).substr(comma + 1));
}

// The data lines, RS and the enables each need a pin of their own; a second $lcd line may
// not move them onto another peripheral's pins.
void CheckLcdPinsApart(CompilerState& st, const LcdCells& lcd, const std::string& enable) {
  std::vector<SignalPin> signals;
  const int first = lcd.LcdBusBits == 4 ? 4 : 0;
  const int offset = lcd.LcdBusBits == 4 ? lcd.LcdDataPinOffset : 0;
  for (int d = first; d <= 7; ++d)
    signals.push_back(MakeSignalPin("DB" + std::to_string(d), lcd.LcdDataPort, std::to_string(offset + d - first)));
  signals.push_back(SettingPin("RS", lcd.LcdRsPort));
  signals.push_back(SettingPin(enable == "e1" ? "E1" : "EN", lcd.LcdEnPort));
  if (!lcd.LcdE2Port.empty()) signals.push_back(SettingPin("E2", lcd.LcdE2Port));
  if (SignalsApart(st, signals)) ClaimLinePins(st, "$lcd", signals);
}

// A number from `low` to `high` into `cell`; anything else reports `message`.
void ReadLcdSize(CompilerState& st, std::uint8_t& value, int low, int high, const char* message,
                 std::uint8_t& cell) {
  if (!ReadByteValue(st, value, message)) return;
  if (value < low || value > high) {
    ReportInPlace(st, message);
    return;
  }
  cell = value;
}

}  // namespace

void ParseLcdMetaStatement(CompilerState& st) {
  const ErrorWatch errors(st);
  std::string enableWord;
  LcdCells& lcd = st.Cells<LcdCells>();
  // A later $lcd line replaces the wiring: a second enable line of an earlier one is gone.
  lcd.LcdE2Port.clear();
  ++st.src.TokenIndex;
  ExpectToken(st, "=");
  HoldOnLine(st);

  const bool busMode = st.TokText() == "&";
  if (busMode) {
    // The display on the external memory bus: only chips with one can.
    if (HasExternalMemoryBus(st)) {
      lcd.LcdBusBits = static_cast<std::int32_t>(ReadBusAddress(st));
      lcd.NeedLcdEN = true;
    } else {
      ReportInPlace(st, "No external memory bus on this device!");
      ReadBusAddress(st);
    }
  } else {
    lcd.NeedLcdEN = false;
    std::string port;
    if (ReadPortName(st, port)) lcd.LcdDataPort = port;
    HoldOnLine(st);
    if (st.TokText() == ".") {
      lcd.LcdBusBits = 4;
      ++st.src.TokenIndex;
      HoldOnLine(st);
      // D4..D7 on four adjacent pins: the first of them is at most 4.
      const std::string first = st.TokText();
      if (st.Tok().Kind == kTokNumber && first.size() == 1 && first[0] >= '0' && first[0] <= '4') {
        lcd.LcdDataPinOffset = static_cast<std::uint8_t>(first[0] - '0');
        ++st.src.TokenIndex;
      } else {
        CompileError(st, "From 0 to 4!");
      }
    } else if (st.TokText() == ",") {
      lcd.LcdBusBits = 8;
    }
  }

  ExpectToken(st, ",");
  ExpectToken(st, "rs");
  ExpectToken(st, "=");
  HoldOnLine(st);
  // RS is a pin beside pin-wired data lines and an address beside the bus: the other form
  // would reach the routines as an operand they cannot use.
  if (!errors.Seen() && busMode != (st.TokText() == "&")) {
    ReportInPlace(st, busMode ? "RS must be an &h address on the bus!" : "Must be a valid AVR Port!");
    return;
  }
  if (st.TokText() == "&") {
    lcd.LcdRsPort = FourHexDigits(ReadBusAddress(st));
  } else {
    std::string setting;
    if (ReadPinSetting(st, setting)) lcd.LcdRsPort = setting;
  }

  if (!busMode) {
    ExpectToken(st, ",");
    HoldOnLine(st);
    const std::string word = st.TokText();
    enableWord = word;
    std::string setting;
    if (word == "en" || word == "e1") {
      ++st.src.TokenIndex;
      ExpectToken(st, "=");
      if (ReadPinSetting(st, setting)) lcd.LcdEnPort = setting;
      if (word == "e1") {
        ExpectToken(st, ",");
        ExpectToken(st, "e2");
        ExpectToken(st, "=");
        if (ReadPinSetting(st, setting)) lcd.LcdE2Port = setting;
      }
    } else {
      CompileError(st, "Must be EN, E1 or E2.");
      while (st.TokText() != "," && !AtLineEnd(st)) ++st.src.TokenIndex;  // past the item
    }
  }

  std::uint8_t value = 0;
  ExpectToken(st, ",");
  // The controllers drive 8 to 40 columns on 1 to 4 rows; the routines' address and
  // cursor arithmetic counts on that.
  ReadLcdSize(st, value, 8, 40, "Must be numeric constant from 8 to 40!", lcd.LcdColumns);
  ExpectToken(st, ",");
  ReadLcdSize(st, value, 1, 4, "Must be numeric constant constant from 1 to 4!", lcd.LcdRows);

  HoldOnLine(st);
  if (st.TokText() == ",") {
    ++st.src.TokenIndex;
    HoldOnLine(st);
    const std::string option = st.TokText();
    if (option == "wait") {
      lcd.LcdWaitBusy = true;
      ++st.src.TokenIndex;
    } else if (option == "ks0073") {
      lcd.LcdKs0073 = true;
      ++st.src.TokenIndex;
    } else {
      CompileError(st, "Invalid settings");
    }
  }

  lcd.LcdConfigured = true;
  st.used.Set(NeedWaitMs);
  st.used.Set(NeedWaitUs);
  if (!busMode && !lcd.LcdDataPort.empty() && !PortRegistersOf(st, lcd.LcdDataPort).out)
    CompileError(st, "PORTF can't be used for LCD!");  // an input-only port
  if (!busMode && !errors.Seen()) CheckLcdPinsApart(st, lcd, enableWord);
}

}  // namespace qbc
