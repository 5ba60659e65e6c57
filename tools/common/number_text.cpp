#include "tools/common/number_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qbc {

double LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  bool digits = false;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    number += text[i++];
    digits = true;
  }
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      number += text[i++];
      digits = true;
    }
  }
  if (!digits) return 0.0;
  // An exponent counts only when digits follow it: "12e" is 12.
  if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (text[j] == '+' || text[j] == '-') exponent += text[j++];
    bool expDigits = false;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
      exponent += text[j++];
      expDigits = true;
    }
    if (expDigits) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

namespace {

void TrimFraction(std::string& digits) {
  if (digits.find('.') == std::string::npos) return;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty() && digits.back() == '.') digits.pop_back();
}

}  // namespace

std::string SingleText(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  if (value == 0.0f) return "0";
  // Round to seven significant digits first; the exponent of the rounded value decides
  // between the plain and the exponent form.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6e", static_cast<double>(value));
  std::string s(buf);
  const size_t e = s.find('e');
  const int exponent = std::atoi(s.c_str() + e + 1);
  if (exponent >= 7 || exponent < -4) {
    std::string mantissa = s.substr(0, e);
    TrimFraction(mantissa);
    std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return mantissa + buf;
  }
  std::snprintf(buf, sizeof buf, "%.*f", 6 - exponent, static_cast<double>(value));
  std::string fixed(buf);
  TrimFraction(fixed);
  return fixed;
}

}  // namespace qbc
