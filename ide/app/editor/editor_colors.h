#pragma once
// Colours as the settings store keeps them: R + 256 G + 65536 B, -1 for none.
#include <QColor>

namespace qbc {

// The stored colour, or `none` for -1.
QColor ToQColor(int value, const QColor& none);
int FromQColor(const QColor& color);

}  // namespace qbc
