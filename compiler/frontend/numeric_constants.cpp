#include "compiler/frontend/numeric_constants.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "compiler/base/compile_error.h"
#include "compiler/base/flags/float_flags.h"
#include "compiler/base/symbols.h"
#include "compiler/base/decl_text.h"
#include "compiler/frontend/uart_cells.h"

namespace qbc {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads "&h" followed by hexadecimal digits (the prefix already checked by the caller).
std::int32_t ReadHexDigits(std::string_view digits) {
  std::uint64_t value = 0;
  std::size_t n = 0;
  while (n < digits.size() && HexDigit(digits[n]) >= 0) {
    value = value * 16 + static_cast<unsigned>(HexDigit(digits[n]));
    ++n;
    if (n > 8) throw CompileFailure("Overflow (hexadecimal constant of more than 8 digits)");
  }
  if (n == 0) return 0;
  if (n <= 4) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The leading decimal number of a text, as the language's Val reads it: blanks skipped,
// optional sign, digits, optional fraction and exponent; 0 when there is none.
double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  std::size_t mantissaDigits = 0;
  while (i < text.size() && IsDigit(text[i])) number += text[i++], ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    while (i < text.size() && IsDigit(text[i])) number += text[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return 0.0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    std::size_t expDigits = 0;
    while (j < text.size() && IsDigit(text[j])) exponent += text[j++], ++expDigits;
    if (expDigits > 0) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

std::int32_t RoundToLong(double v) {
  double r = std::nearbyint(v);  // the default rounding mode: a half goes to the even neighbour
  if (!(r >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
        r <= static_cast<double>(std::numeric_limits<std::int32_t>::max())))
    throw CompileFailure("Overflow (constant beyond 32 bits)");
  return static_cast<std::int32_t>(r);
}

std::int32_t TextToLong(std::string_view text) {
  if (text.size() >= 2 && text[0] == '&' && (text[1] == 'h' || text[1] == 'H')) return ReadHexDigits(text.substr(2));
  return RoundToLong(LeadingNumber(text));
}

// A whole decimal number and nothing else (blanks around it allowed).
bool ParseWholeNumber(std::string_view text, double& value) {
  std::size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return false;
  std::size_t e = text.find_last_not_of(' ');
  text = text.substr(b, e - b + 1);
  std::size_t i = 0;
  if (text[0] == '+' || text[0] == '-') i = 1;
  if (i == text.size()) return false;
  for (std::size_t k = i; k < text.size(); ++k)
    if (!IsDigit(text[k])) return false;
  value = std::strtod(std::string(text).c_str(), nullptr);
  return true;
}

}  // namespace

std::int32_t ParseAmpConstant(CompilerState& st) {
  const std::string& t = st.TokText();
  if (int c = FindConst(st, t); c != 0) return TextToLong(st.sym.Constants[c].Value);
  if (t == "&") {
    ++st.src.TokenIndex;
    std::string hex = st.TokText();
    return IsHexConstant(hex);
  }
  return TextToLong(t);
}

std::int32_t IsHexConstant(std::string& text) {
  text = (!text.empty() && text[0] == 'h') ? "&" + text : "&h" + text;
  return ReadHexDigits(std::string_view(text).substr(2));
}

std::int32_t IsBinConstant(std::string& text) {
  std::size_t b = text.find('b');
  if (b != std::string::npos) text = text.substr(b + 1);
  std::uint64_t value = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (text[n - 1 - i] != '1') continue;
    if (i >= 31) throw CompileFailure("Overflow (binary constant beyond 32 bits)");
    value += std::uint64_t{1} << i;
  }
  return static_cast<std::int32_t>(value);
}

std::uint8_t ParseFloatConstant(CompilerState& st, std::string_view text) {
  if (text.find('e') != std::string_view::npos || text.find('.') != std::string_view::npos) {
    st.used.Set(NeedFloatCore);
    return kTypeFloat;
  }
  double v = 0;
  if (!ParseWholeNumber(text, v)) {
    CompileError(st, "Numeric constant expected!");
    return kTypeNone;
  }
  if (v >= 0 && v < 256) {
    st.expr.ConstIsByteMax = v == 255;
    return kTypeByte;
  }
  if (v > -32767 && v < 0) return kTypeInteger;
  if (v >= 256 && v < 65536) {
    st.expr.ConstIsWordMax = v == 65535;
    return kTypeWord;
  }
  return kTypeLong;
}

bool IsPortRegister(std::string& name) {
  name = UpperText(name);
  return name.rfind("PORT", 0) == 0 || name.rfind("PIN", 0) == 0 || name.rfind("DDR", 0) == 0;
}

void CheckBaudSet(CompilerState& st, std::uint8_t uart) {
  if (uart <= 3 && !st.Cells<UartCells>().BaudRateSet[uart]) {
    ReportInPlace(st, "Baud rate not set!");
  }
}

std::string CalcDelayCount(CompilerState& st, std::uint8_t us) {
  // Single precision on purpose: the counts must match the ones the clock cell gives.
  const float cycles = static_cast<float>(us) * st.cfg.CrystalFrequency;
  const float count = (cycles - 7.0f) / 3.0f;
  const long rounded = std::lrint(count);  // a half goes to the even neighbour
  std::string text = std::to_string(rounded);
  return text == "0" ? "1" : text;
}

}  // namespace qbc
