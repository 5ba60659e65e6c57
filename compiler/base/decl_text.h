#pragma once
// Small text and number helpers shared by the declaration pass, the metastatement parsers
// and the program head.
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/base/state.h"

namespace qbc {

// The leading decimal number of a text (blanks, sign, digits, point, exponent), or 0 when
// the text does not begin with one. Trailing text is ignored: "2.5abc" reads as 2.5.
double LeadingNumber(const std::string& text);

// True when the whole text is one decimal number (optional sign, point and exponent).
bool IsWholeNumberText(const std::string& text);

// The decimal text of a folded value: no blanks, no point for a whole number, at most 15
// significant digits, exponent form for very large or very small values.
std::string NumberText(double value);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Upper-case / lower-case copies (ASCII).
std::string UpperText(std::string_view text);
std::string LowerText(std::string_view text);

// Upper-case hexadecimal without leading zeros (0 gives "0").
std::string HexUpper(std::uint32_t value);
// Lower-case hexadecimal without leading zeros.
std::string HexLower(std::uint32_t value);
// How Hex2 spells a byte. The emitters grew up with different spellings and the generated
// text must stay as it is, so each call site names the one it writes.
enum class HexForm {
  Upper,           // "3F"
  Prefixed0xLower, // "0x3f"
  Prefixed0xUpper, // "0x3F"
};
// Exactly two hexadecimal digits of the low byte of value, spelled as form says.
std::string Hex2(unsigned value, HexForm form = HexForm::Upper);

// A number written into an instruction or summary line "as a number": a blank before a
// value that is not negative.
std::string SignedNumberText(long value);

// Keeps the token index on the current line: an index that an error report or a step has
// moved past the line's "<EOL>" is brought back onto it, so a parser never reads the stale
// tokens of an earlier, longer line.
void HoldOnLine(CompilerState& st);

// True at the end of the current statement's line ("<EOL>", or past it).
bool AtLineEnd(CompilerState& st);

}  // namespace qbc
