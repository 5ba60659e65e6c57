// $key: "rows" "=" port mask { "," option }.
#include <string>
#include <vector>

#include "compiler/frontend/device_facts.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/delay_flags.h"
#include "compiler/base/flags/hardware_flags.h"
#include "compiler/codegen/emit_lines.h"
#include "compiler/statements/peripherals/keypad_cells.h"
#include "compiler/statements/peripherals/meta_peripheral_words.h"
#include "compiler/frontend/meta_pins.h"
#include "compiler/frontend/numeric_constants.h"

namespace qbc {

namespace {

// The pins of a keypad port: "&h" or "&b" and digits, or a decimal number, straight after
// the port name.
bool ReadKeyMask(CompilerState& st, std::uint8_t& mask, const char* assignError) {
  HoldOnLine(st);
  if (st.TokText() == "&") {
    ++st.src.TokenIndex;
    HoldOnLine(st);
    std::string digits = st.TokText();
    std::int64_t value = 0;
    if (!digits.empty() && digits[0] == 'h') {
      value = IsHexConstant(digits);
    } else if (!digits.empty() && digits[0] == 'b') {
      value = IsBinConstant(digits);
    } else {
      CompileError(st, "&h for HEX, &b for BIN format!");
      return false;
    }
    // A port has eight pins: a mask beyond them would lose its high bits unseen.
    if (value < 0 || value > 0xFF) {
      CompileError(st, assignError);
      return false;
    }
    mask = static_cast<std::uint8_t>(value);
    ++st.src.TokenIndex;
    return true;
  }
  if (st.Tok().Kind == kTokNumber) return ReadByteValue(st, mask, assignError);
  CompileError(st, assignError);
  return false;
}

// PORTA to PORTL: a signal pin on PORTH to PORTL (the ATmega1280 and 2560 family) is
// reached by lds/sts like any extended port. Whether the chip has the port is checked
// where the word is read.
bool IsBeepPortWord(const std::string& w) {
  return w.size() == 5 && w.compare(0, 4, "port") == 0 && w[4] >= 'a' && w[4] <= 'l' && w[4] != 'i';
}

void ParseKeyOption(CompilerState& st) {
  KeypadCells& keys = st.Cells<KeypadCells>();
  HoldOnLine(st);
  const std::string word = st.TokText();
  std::string port, pin;
  std::uint8_t value = 0;
  if (word == "cols") {
    ++st.src.TokenIndex;
    ExpectToken(st, "=");
    st.used.Set(NeedMul8u);
    if (ReadPortName(st, port)) keys.KeyColsPort = FixedText(port, 5);
    if (ReadKeyMask(st, value, "Keyboard COLs assign error!")) keys.KeyColsMask = value;
  } else if (IsBeepPortWord(word)) {
    // The key signal on a pin: port "." pin "," pulse length in ms "," level.
    if (!PortOnDevice(st, word)) {
      CompileError(st, "Unknown identifier " + word);
      return;
    }
    keys.KeyBeepPort = UpperText(word);
    ++st.src.TokenIndex;
    ExpectToken(st, ".");
    if (ReadPinDigit(st, pin)) keys.KeyBeepArg1 = static_cast<std::uint8_t>(pin[0] - '0');
    ExpectToken(st, ",");
    if (ReadByteValue(st, value, "Must be numeric constant")) keys.KeyBeepArg2 = value;
    ExpectToken(st, ",");
    HoldOnLine(st);
    keys.KeyActiveHigh = st.TokText() == "hi";
    if (!AtLineEnd(st)) ++st.src.TokenIndex;
    keys.KeyBeepMode = 1;
    st.used.Set(NeedWaitMs);
  } else if (word == "sound") {
    // The key signal as a tone: two numbers for the sound routine.
    ++st.src.TokenIndex;
    if (ReadByteValue(st, value, "Must be numeric constant")) keys.KeyBeepArg1 = value;
    ExpectToken(st, ",");
    if (ReadByteValue(st, value, "Must be numeric constant")) keys.KeyBeepArg2 = value;
    keys.KeyBeepMode = 2;
    st.used.Set(NeedSound);
    st.used.Set(NeedWaitUs);
  } else if (word == "hi") {
    if (keys.KeyColsPort == "     ") {
      keys.KeyConfigured = true;
      ++st.src.TokenIndex;
    } else {
      CompileError(st, "Hi for Keys in line");
    }
  } else {
    // The debounce time in ms, written into the routine's ldi: a number or a constant's.
    std::uint8_t ms = 0;
    if (ReadByteValue(st, ms, "Must be numeric constant")) keys.KeyActiveHighText = std::to_string(ms);
  }
}

void AddMaskPins(std::vector<SignalPin>& signals, const char* signal, const std::string& port, std::uint8_t mask) {
  for (int bit = 0; bit <= 7; ++bit)
    if (mask & (1 << bit)) signals.push_back(MakeSignalPin(signal, port, std::to_string(bit)));
}

// Rows, columns and the key signal's pin each need pins of their own: a pin both driven
// and read would report keys that are not pressed.
void CheckKeyPinsApart(CompilerState& st, const KeypadCells& keys) {
  std::vector<SignalPin> signals;
  AddMaskPins(signals, "ROWS", keys.KeyRowsPort, keys.KeyRowsMask);
  if (KeypadIsMatrix(keys)) AddMaskPins(signals, "COLS", keys.KeyColsPort, keys.KeyColsMask);
  if (keys.KeyBeepMode == 1)
    signals.push_back(MakeSignalPin("Key signal", keys.KeyBeepPort, std::to_string(keys.KeyBeepArg1)));
  if (SignalsApart(st, signals)) ClaimLinePins(st, "$key", signals);
}

}  // namespace

void ParseKeyMetaStatement(CompilerState& st) {
  const ErrorWatch errors(st);
  KeypadCells& keys = st.Cells<KeypadCells>();
  ++st.src.TokenIndex;
  ExpectToken(st, "rows");
  ExpectToken(st, "=");
  std::string port;
  if (ReadPortName(st, port)) keys.KeyRowsPort = FixedText(port, 5);
  std::uint8_t mask = 0;
  if (ReadKeyMask(st, mask, "Keyboard ROWs assign error!")) keys.KeyRowsMask = mask;
  HoldOnLine(st);
  while (st.TokText() == "," && !AtLineEnd(st)) {
    ++st.src.TokenIndex;
    ParseKeyOption(st);
    HoldOnLine(st);
  }
  keys.KeysDeclared = true;
  st.used.Set(NeedWaitMs);
  // The columns are driven and read, the rows read: ports without those registers (the
  // ATmega103's output-only port C and input-only port F) cannot serve.
  if (!keys.KeyColsPort.empty()) {
    const PortRegisters cols = PortRegistersOf(st, keys.KeyColsPort);
    if (!cols.dir || !cols.in) CompileError(st, "PORTC and PORTF can't be used in matrix keyboard!");
  }
  if (!keys.KeyRowsPort.empty() && !PortRegistersOf(st, keys.KeyRowsPort).in)
    CompileError(st, "PORTC can't be used for keyboard!");
  if (!errors.Seen()) CheckKeyPinsApart(st, keys);
}

}  // namespace qbc
