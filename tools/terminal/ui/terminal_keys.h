#pragma once
// The bytes a key sends to the board.
#include <QByteArray>

class QKeyEvent;

namespace qbc {

// Return 0x0D, Backspace 0x08, Tab 0x09, Escape 0x1B, Ctrl+letter 1..26, otherwise the
// typed character when it fits one byte; empty for keys that type nothing (arrows, ...).
QByteArray TerminalKeyBytes(const QKeyEvent& event);

}  // namespace qbc
