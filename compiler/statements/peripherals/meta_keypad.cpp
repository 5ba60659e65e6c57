// $key: "rows" "=" port mask { "," option }.
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
    if (!digits.empty() && digits[0] == 'h') {
      mask = static_cast<std::uint8_t>(IsHexConstant(digits) & 0xFF);
    } else if (!digits.empty() && digits[0] == 'b') {
      mask = static_cast<std::uint8_t>(IsBinConstant(digits) & 0xFF);
    } else {
      CompileError(st, "&h for HEX, &b for BIN format!");
      return false;
    }
    ++st.src.TokenIndex;
    return true;
  }
  if (st.Tok().Kind == kTokNumber) return ReadByteValue(st, mask, assignError);
  CompileError(st, assignError);
  return false;
}

// PORTA to PORTG, and PORTH to PORTL on the chips that have them (the ATmega1280 and
// 2560 family): a signal pin there is reached by lds/sts like any extended port.
bool IsBeepPortWord(CompilerState& st, const std::string& w) {
  if (w.size() != 5 || w.compare(0, 4, "port") != 0) return false;
  if (w[4] >= 'a' && w[4] <= 'g') return true;
  return w[4] >= 'h' && w[4] <= 'l' && w[4] != 'i' && IoRegisterValue(st, w) >= 0;
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
  } else if (IsBeepPortWord(st, word)) {
    // The key signal on a pin: port "." pin "," pulse length in ms "," level.
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
    keys.KeyActiveHighText = word;
    ++st.src.TokenIndex;
  }
}

}  // namespace

void ParseKeyMetaStatement(CompilerState& st) {
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
  if (st.dev.DeviceName == "m103") {
    if (keys.KeyColsPort == "PORTF" || keys.KeyColsPort == "PORTC")
      CompileError(st, "PORTC and PORTF can't be used in matrix keyboard!");
    if (keys.KeyRowsPort == "PORTC") CompileError(st, "PORTC can't be used for keyboard!");
  }
}

}  // namespace qbc
