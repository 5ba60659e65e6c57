#include "tools/lcd/core/lcd_char.h"

#include <cstdio>

namespace qbc {

std::optional<LcdCell> LcdCellAt(int x, int y) {
  if (x <= 0 || y <= 0 || x % kLcdCellPixels == 0 || y % kLcdCellPixels == 0) return std::nullopt;
  const LcdCell cell{x / kLcdCellPixels, y / kLcdCellPixels};
  if (cell.column >= kLcdColumns || cell.row >= kLcdRows) return std::nullopt;
  return cell;
}

std::string DefLcdCharLine(const LcdRows& rows) {
  std::string line = "DefLcdChar 0";
  for (const std::uint8_t row : rows) {
    char buf[8];
    std::snprintf(buf, sizeof buf, ", &h%02X", row);
    line += buf;
  }
  return line;
}

const std::array<LcdRows, 4>& LcdPreviewGlyphs() {
  // T, o, l, k in 5 x 7 dots, the bottom row left empty for the cursor line.
  static const std::array<LcdRows, 4> glyphs{{
      {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x00},
      {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E, 0x00},
      {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E, 0x00},
      {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12, 0x00},
  }};
  return glyphs;
}

}  // namespace qbc
