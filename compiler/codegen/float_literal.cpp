#include "compiler/codegen/float_literal.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace qbc {

namespace {

constexpr std::size_t kMaxDigits = 255;

void CheckLength(const std::string& digits) {
  if (digits.size() > kMaxDigits) throw CompileFailure("Float constant too long: " + digits);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of the leading number of a text (digits, a "." with digits, an exponent), as
// the usual "value of text" reading gives it: what follows the number is ignored and a
// text without a number is 0. Independent of the host's locale.
double LeadingValue(const std::string& text) {
  std::size_t i = 0;
  std::size_t firstNonZero = std::string::npos;
  long pointPos = -1;  // digits before the point
  long digitCount = 0;
  while (i < text.size() && (IsDigit(text[i]) || (text[i] == '.' && pointPos < 0))) {
    if (text[i] == '.') {
      pointPos = digitCount;
    } else {
      if (text[i] != '0' && firstNonZero == std::string::npos) firstNonZero = digitCount;
      ++digitCount;
    }
    ++i;
  }
  if (digitCount == 0) return 0.0;
  std::size_t end = i;
  long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
    std::size_t expStart = j;
    while (j < text.size() && IsDigit(text[j])) {
      if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
      ++j;
    }
    if (j > expStart) {
      end = j;
      if (negative) exponent = -exponent;
    }
  }
  std::string number = text.substr(0, end);
  if (number.front() == '.') number.insert(number.begin(), '0');
  double value = 0.0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Decide by the decimal magnitude of the first significant digit.
    if (firstNonZero == std::string::npos) return 0.0;
    long intDigits = pointPos < 0 ? digitCount : pointPos;
    long magnitude = intDigits - static_cast<long>(firstNonZero) - 1 + exponent;
    return magnitude > 0 ? HUGE_VAL : 0.0;
  }
  return value;
}

// The whole text must be an optional sign and digits.
long ExponentValue(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) throw CompileFailure("Invalid float exponent: \"" + text + "\"");
  long value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) throw CompileFailure("Invalid float exponent: \"" + text + "\"");
    if (value < 100000) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace

std::string FracToBinStr(double& value, std::uint8_t width) {
  std::string bits;
  while (value > 0) {
    double half = value / 2;
    double whole = std::floor(half);
    if (half != whole) {
      value = whole;
      bits += '1';
    } else {
      value = half;
      bits += '0';
    }
    CheckLength(bits);
  }
  std::string digits(bits.rbegin(), bits.rend());
  if (width > 0) {
    digits = "0000000" + digits;
    if (digits.size() > width) digits = digits.substr(digits.size() - width);
  }
  return digits;
}

std::string& BinStrIncrement(std::string& bits, bool& MantissaCarry) {
  MantissaCarry = true;
  for (std::size_t i = bits.size(); i-- > 0 && MantissaCarry;) {
    if (bits[i] == '1') {
      bits[i] = '0';
    } else {
      bits[i] = '1';
      MantissaCarry = false;
    }
  }
  return bits;
}

std::string BinStrToHex(const std::string& bits) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (std::size_t group = 0; group < 8; ++group) {
    int v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      std::size_t pos = group * 4 + k;
      v = v * 2 + (pos < bits.size() && bits[pos] == '1' ? 1 : 0);
    }
    hex += kHex[v];
  }
  return hex;
}

std::string FloatLiteralToHex(std::string text) {
  bool MantissaCarry = false;
  const std::string literal = text;

  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.erase(0, 1);
  } else if (!text.empty() && text.front() == '+') {
    text.erase(0, 1);
  }

  // There is no negative zero. Magnitudes below the smallest normal single (2^-126) have
  // no normal pattern either and become 0 too; 2^128 and more are refused.
  double magnitude = LeadingValue(text);
  if (magnitude == 0.0 || magnitude < std::ldexp(1.0, -126)) return "00000000";
  if (magnitude >= std::ldexp(1.0, 128)) throw FloatLiteralOverflow("Float constant out of range: " + literal);

  long x = 0;
  std::size_t expPos = text.find('e');
  if (expPos == std::string::npos) expPos = text.find('E');
  if (expPos != std::string::npos) {
    x = ExponentValue(text.substr(expPos + 1));
    text.erase(expPos);
  }

  std::string intDigits;
  std::string fracDigits;
  std::size_t point = text.find('.');
  if (point == std::string::npos) {
    intDigits = text;
    fracDigits = "0";
  } else {
    intDigits = text.substr(0, point);
    fracDigits = text.substr(point + 1);
  }
  CheckLength(intDigits);
  CheckLength(fracDigits);
  const long li = static_cast<long>(intDigits.size());
  const long lf = static_cast<long>(fracDigits.size());

  // Move the decimal point by the exponent, on the digit text.
  if (x > 0) {
    std::string all = intDigits + fracDigits + std::string(static_cast<std::size_t>(x), '0');
    std::string newInt = all.substr(0, static_cast<std::size_t>(li + x));
    fracDigits = lf > x ? fracDigits.substr(static_cast<std::size_t>(x)) : "0";
    intDigits = newInt;
  } else {
    std::string all = std::string(static_cast<std::size_t>(-x), '0') + intDigits + fracDigits;
    std::size_t keep = static_cast<std::size_t>(lf - x);
    std::string newFrac = all.substr(all.size() - keep);
    intDigits = li > -x ? intDigits.substr(0, static_cast<std::size_t>(li + x)) : "0";
    fracDigits = newFrac;
  }
  CheckLength(intDigits);
  CheckLength(fracDigits);

  // Integer bits.
  double intValue = LeadingValue(intDigits);
  std::string intBits = intValue >= 1 ? FracToBinStr(intValue, 0) : "0";

  // Fraction bits: 24 significant bits in all; leading zeros of a value below one do not
  // count.
  double frac = LeadingValue("0." + fracDigits);
  std::string fracBits;
  const bool belowOne = intBits == "0";
  const long limit = belowOne ? 24 : 24 - static_cast<long>(intBits.size());
  long k = 0;
  bool oneSeen = false;
  while (frac > 0 && k < limit) {
    frac *= 2;
    if (frac >= 1) {
      frac -= 1;
      fracBits += '1';
      oneSeen = true;
    } else {
      fracBits += '0';
    }
    if (!(belowOne && !oneSeen)) ++k;
    CheckLength(fracBits);
  }

  // Rounding: the next bit is 1. Ties go up in magnitude.
  if (frac >= 0.5) BinStrIncrement(fracBits, MantissaCarry);

  long e = 0;
  if (belowOne) {
    std::size_t firstOne = fracBits.find('1');
    if (firstOne != std::string::npos) {
      e = -static_cast<long>(firstOne + 1);
      fracBits = fracBits.substr(firstOne + 1);
    }
    intBits.clear();
  } else {
    if (MantissaCarry) {
      BinStrIncrement(intBits, MantissaCarry);
      if (MantissaCarry) intBits.insert(intBits.begin(), '1');
    }
    e = static_cast<long>(intBits.size()) - 1;
    intBits.erase(0, 1);
  }

  if (e + 127 >= 255) throw FloatLiteralOverflow("Float constant out of range: " + literal);
  if (e + 127 <= 0) return "00000000";

  std::string mantissa = (intBits + fracBits + std::string(23, '0')).substr(0, 23);
  double biased = static_cast<double>(e + 127);
  std::string exponentField = FracToBinStr(biased, 8);
  return BinStrToHex(std::string(negative ? "1" : "0") + exponentField + mantissa);
}

}  // namespace qbc
