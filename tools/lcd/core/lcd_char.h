#pragma once
// The 5 x 8 dot character of the LCD designer: where a click lands in the drawing grid,
// the row bytes of a drawing and the DefLcdChar line made from them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace qbc {

inline constexpr int kLcdColumns = 5;
inline constexpr int kLcdRows = 8;
inline constexpr int kLcdCellPixels = 10;  // grid lines on every multiple of 10
inline constexpr int kLcdPictureWidth = kLcdColumns * kLcdCellPixels + 1;
inline constexpr int kLcdPictureHeight = kLcdRows * kLcdCellPixels + 1;

using LcdRows = std::array<std::uint8_t, kLcdRows>;

struct LcdCell {
  int column;
  int row;
};

// The cell under picture pixel (x, y); nothing on a grid line or outside the grid.
std::optional<LcdCell> LcdCellAt(int x, int y);

// Row byte bit for a column: the leftmost dot is bit 4.
inline constexpr std::uint8_t LcdColumnBit(int column) {
  return static_cast<std::uint8_t>(1u << (kLcdColumns - 1 - column));
}

// "DefLcdChar 0, &h.., ..." with the eight rows as two upper-case hex digits each.
std::string DefLcdCharLine(const LcdRows& rows);

// The preview glyphs of the word shown beside the grid, one per box.
const std::array<LcdRows, 4>& LcdPreviewGlyphs();

}  // namespace qbc
