#pragma once
// Number reading and writing as the tools' users know it from the classic BASIC
// environments: a field's leading number counts and the rest is ignored, and single
// precision values are shown with at most seven significant digits.
#include <string>
#include <string_view>

namespace qbc {

// The leading decimal number of `text` ("." is the decimal point whatever the locale;
// blanks before it and an exponent are allowed); 0 when the text starts with no number.
double LeadingNumber(std::string_view text);

// `value` as single-precision text: seven significant digits, no trailing zeros, the
// exponent form ("1.234568E+07", "1E-05") outside 0.0001 .. 9999999.
std::string SingleText(float value);

}  // namespace qbc
