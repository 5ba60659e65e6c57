#pragma once
// Float literals to single-precision bit patterns, at compile time, by digit-string
// arithmetic (not through the host's float conversion): the decimal exponent moves the
// point within the digit text, the integer part becomes binary digits by halving, the
// fraction by doubling, and rounding adds one to a binary digit string. The result is the
// eight lower-case hex digits of the pattern, most significant first, no prefix; the
// constant loader writes them after "0x".
#include <cstdint>
#include <string>

#include "compiler/base/compile_failure.h"

namespace qbc {

// A literal whose magnitude has no single-precision pattern (2^128 or more). The caller
// reports it as a compile error; literals below the smallest normal value become 0.
class FloatLiteralOverflow : public CompileFailure {
 public:
  using CompileFailure::CompileFailure;
};

// The literal's text: an optional sign, digits, an optional "." with digits, an optional
// exponent ("e" or "E", an optional sign, digits). Returns the 8 hex digits. Throws
// CompileFailure for an exponent that is not an integer or a digit string longer than 255
// characters, FloatLiteralOverflow for a magnitude of 2^128 or more.
std::string FloatLiteralToHex(std::string text);

// The binary digits of a whole number value >= 1, without leading zeros; consumes value
// (it ends at 0). With width > 0 the low `width` digits, padded with zeros up to 8 digits.
std::string FracToBinStr(double& value, std::uint8_t width);
// Adds one to a binary digit string in place; MantissaCarry tells whether the carry left
// the leftmost digit (an empty string stays empty and carries).
std::string& BinStrIncrement(std::string& bits, bool& MantissaCarry);
// 32 binary digits to 8 hex digits; a missing digit counts as "0".
std::string BinStrToHex(const std::string& bits);

}  // namespace qbc
