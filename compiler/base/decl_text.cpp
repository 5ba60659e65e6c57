#include "compiler/base/decl_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "compiler/base/symbols.h"

namespace qbc {

namespace {

// Length of the decimal number at the start of text (after blanks), 0 when there is none.
std::size_t NumberPrefixLength(const std::string& text, std::size_t start) {
  std::size_t i = start;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i - start;
}

}  // namespace

double LeadingNumber(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  std::size_t len = NumberPrefixLength(text, start);
  if (len == 0) return 0.0;
  return std::strtod(text.substr(start, len).c_str(), nullptr);
}

bool IsWholeNumberText(const std::string& text) {
  if (text.empty()) return false;
  return NumberPrefixLength(text, 0) == text.size();
}

std::string NumberText(double value) {
  if (value == 0.0 || std::isnan(value)) return "0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string s(buf);
  for (char& c : s)
    if (c == 'e') c = 'E';
  return s;
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

// ASCII only, whatever the locale: names and mnemonics are ASCII and bytes above 127 in
// string literals must pass through unchanged.
std::string UpperText(std::string_view text) {
  std::string copy(text);
  for (char& c : copy)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return copy;
}

std::string LowerText(std::string_view text) {
  std::string copy(text);
  for (char& c : copy)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return copy;
}

std::string HexUpper(std::uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
  return buf;
}

std::string HexLower(std::uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x", static_cast<unsigned>(value));
  return buf;
}

std::string Hex2(unsigned value, HexForm form) {
  const char* pattern = form == HexForm::Upper             ? "%02X"
                        : form == HexForm::Prefixed0xLower ? "0x%02x"
                                                           : "0x%02X";
  char buf[8];
  std::snprintf(buf, sizeof buf, pattern, value & 0xFFu);
  return buf;
}

std::string SignedNumberText(long value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

void HoldOnLine(CompilerState& st) {
  if (st.src.TokenCount > 0 && st.src.TokenIndex > st.src.TokenCount - 1)
    st.src.TokenIndex = static_cast<std::int16_t>(st.src.TokenCount - 1);
}

bool AtLineEnd(CompilerState& st) {
  if (st.src.TokenCount > 0 && st.src.TokenIndex >= st.src.TokenCount - 1) return true;
  return st.TokText() == "<EOL>";
}

}  // namespace qbc
