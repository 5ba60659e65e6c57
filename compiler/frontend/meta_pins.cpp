#include "compiler/frontend/meta_pins.h"

#include "compiler/base/compile_error.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/frontend/source_reader.h"
#include "compiler/base/symbols.h"

namespace qbc {

std::string FixedText(std::string text, std::size_t length) {
  text.resize(length, ' ');
  return text;
}

bool ReadPortName(CompilerState& st, std::string& port) {
  HoldOnLine(st);
  std::string text = st.TokText();
  if (st.Tok().Kind == kTokEol || !IsPortRegister(text)) {
    CompileError(st, "Must be a valid AVR Port!");
    return false;
  }
  port = text;
  ++st.src.TokenIndex;
  return true;
}

bool ReadPinDigit(CompilerState& st, std::string& pin) {
  HoldOnLine(st);
  const std::string text = st.TokText();
  if (st.Tok().Kind != kTokNumber || text.size() != 1 || !IsBitIndex(text)) {
    CompileError(st, "From 0 to 7!");
    return false;
  }
  pin = text;
  ++st.src.TokenIndex;
  return true;
}

bool ReadPortPin(CompilerState& st, std::string& port, std::string& pin) {
  const bool portOk = ReadPortName(st, port);
  ExpectToken(st, ".");
  const bool pinOk = ReadPinDigit(st, pin);
  return portOk && pinOk;
}

bool ReadByteValue(CompilerState& st, std::uint8_t& value, std::string_view message) {
  HoldOnLine(st);
  const std::string text = st.TokText();
  double v = -1;
  if (const int c = FindConst(st, text); c > 0 && st.sym.Constants[c].ConstType == kTokNumber) {
    v = LeadingNumber(st.sym.Constants[c].Value);
  } else if (st.Tok().Kind == kTokNumber && IsWholeNumberText(text)) {
    v = LeadingNumber(text);
  }
  if (v < 0 || v > 255) {
    CompileError(st, message);
    return false;
  }
  value = static_cast<std::uint8_t>(RoundHalfEven(v));
  ++st.src.TokenIndex;
  return true;
}

int FindVectorByPrefix(CompilerState& st, std::string_view prefix) {
  const std::string& countText = st.sym.InterruptVectors[0].Name;
  const int last = static_cast<int>(st.sym.InterruptVectors.size()) - 1;
  int count = IsWholeNumberText(countText) ? static_cast<int>(LeadingNumber(countText)) : 0;
  if (count > last) count = last;
  for (int i = 1; i <= count; ++i) {
    const std::string& name = st.sym.InterruptVectors[i].Name;
    if (name.size() >= prefix.size() && UpperText(name.substr(0, prefix.size())) == prefix) return i;
  }
  return 0;
}

bool ClaimInterruptVector(CompilerState& st, std::string_view prefix) {
  const int v = FindVectorByPrefix(st, prefix);
  if (v == 0) {
    CompileError(st, "No " + std::string(prefix) + " interrupt on this device!");
    --st.src.TokenIndex;
    return false;
  }
  st.sym.InterruptVectors[v].Used = true;
  if (v > st.sym.HighestVectorUsed) st.sym.HighestVectorUsed = static_cast<std::uint8_t>(v);
  return true;
}

}  // namespace qbc
