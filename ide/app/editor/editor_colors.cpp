#include "ide/app/editor/editor_colors.h"

namespace qbc {

QColor ToQColor(int value, const QColor& none) {
  if (value < 0) return none;
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int FromQColor(const QColor& color) { return color.red() + 256 * color.green() + 65536 * color.blue(); }

}  // namespace qbc
