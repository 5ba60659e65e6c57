// $key: "rows" "=" port mask { "," option }.
#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
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

bool IsBeepPortWord(const std::string& w) {
  return w.size() == 5 && w.compare(0, 4, "port") == 0 && w[4] >= 'a' && w[4] <= 'g';
}

void ParseKeyOption(CompilerState& st) {
  Configuration& cfg = st.cfg;
  HoldOnLine(st);
  const std::string word = st.TokText();
  std::string port, pin;
  std::uint8_t value = 0;
  if (word == "cols") {
    ++st.src.TokenIndex;
    ExpectToken(st, "=");
    st.used.Set(NeedMul8u);
    if (ReadPortName(st, port)) cfg.KeyColsPort = FixedText(port, 5);
    if (ReadKeyMask(st, value, "Keyboard COLs assign error!")) cfg.KeyColsMask = value;
  } else if (IsBeepPortWord(word)) {
    // The key signal on a pin: port "." pin "," pulse length in ms "," level.
    cfg.KeyBeepPort = UpperText(word);
    ++st.src.TokenIndex;
    ExpectToken(st, ".");
    if (ReadPinDigit(st, pin)) cfg.KeyBeepArg1 = static_cast<std::uint8_t>(pin[0] - '0');
    ExpectToken(st, ",");
    if (ReadByteValue(st, value, "Must be numeric constant")) cfg.KeyBeepArg2 = value;
    ExpectToken(st, ",");
    HoldOnLine(st);
    cfg.KeyActiveHigh = st.TokText() == "hi";
    if (!AtLineEnd(st)) ++st.src.TokenIndex;
    cfg.KeyBeepMode = 1;
    st.used.Set(NeedWaitMs);
  } else if (word == "sound") {
    // The key signal as a tone: two numbers for the sound routine.
    ++st.src.TokenIndex;
    if (ReadByteValue(st, value, "Must be numeric constant")) cfg.KeyBeepArg1 = value;
    ExpectToken(st, ",");
    if (ReadByteValue(st, value, "Must be numeric constant")) cfg.KeyBeepArg2 = value;
    cfg.KeyBeepMode = 2;
    st.used.Set(NeedSound);
    st.used.Set(NeedWaitUs);
  } else if (word == "hi") {
    if (cfg.KeyColsPort == "     ") {
      cfg.KeyConfigured = true;
      ++st.src.TokenIndex;
    } else {
      CompileError(st, "Hi for Keys in line");
    }
  } else {
    cfg.KeyActiveHighText = word;
    ++st.src.TokenIndex;
  }
}

}  // namespace

void ParseKeyMetaStatement(CompilerState& st) {
  Configuration& cfg = st.cfg;
  ++st.src.TokenIndex;
  ExpectToken(st, "rows");
  ExpectToken(st, "=");
  std::string port;
  if (ReadPortName(st, port)) cfg.KeyRowsPort = FixedText(port, 5);
  std::uint8_t mask = 0;
  if (ReadKeyMask(st, mask, "Keyboard ROWs assign error!")) cfg.KeyRowsMask = mask;
  HoldOnLine(st);
  while (st.TokText() == "," && !AtLineEnd(st)) {
    ++st.src.TokenIndex;
    ParseKeyOption(st);
    HoldOnLine(st);
  }
  cfg.KeysDeclared = true;
  st.used.Set(NeedWaitMs);
  if (st.dev.DeviceName == "m103") {
    if (cfg.KeyColsPort == "PORTF" || cfg.KeyColsPort == "PORTC")
      CompileError(st, "PORTC and PORTF can't be used in matrix keyboard!");
    if (cfg.KeyRowsPort == "PORTC") CompileError(st, "PORTC can't be used for keyboard!");
  }
}

}  // namespace qbc
