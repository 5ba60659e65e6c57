#pragma once
// How numbers are turned into text, from the format settings: read by the text routines,
// the string assignments and the program head, which gives the format cells their values.
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace qbc {

struct NumberFormatCells {
  std::uint8_t LeadChar = 0;
  std::uint8_t FormatDigits = 0;
  std::uint8_t FormatDecimals = 0;
  // The number format cells: which ones the head declared, where it set them up, and which
  // ones the Format and LeadChar statements store into (the link step adds those the head
  // left out).
  bool FormatCellsDeclared = false;
  bool LeadCellDeclared = false;
  std::size_t FormatCellsAt = 0;
  bool FormatCellsUsed = false;
  bool LeadCellUsed = false;
  // Whether the head declared the float text cell _s1tmp (it does when a float variable
  // is declared before it; a Local float comes later and leaves it to the link step).
  bool FloatTextDeclared = false;
};

// Bytes of the formatted-number text buffer _s2tmp; 0 without a number format.
inline int FormatTextBytes(const NumberFormatCells& numbers) {
  if (numbers.FormatDigits == 0 && numbers.FormatDecimals == 0) return 0;
  // The conversion writes up to 14 characters (the float text) whatever the format.
  return std::max(14, numbers.FormatDigits + numbers.FormatDecimals + 2);
}

}  // namespace qbc
