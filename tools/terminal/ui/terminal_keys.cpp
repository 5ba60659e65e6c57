#include "tools/terminal/ui/terminal_keys.h"

#include <QKeyEvent>

namespace qbc {

QByteArray TerminalKeyBytes(const QKeyEvent& event) {
  const int key = event.key();
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QByteArray(1, '\r');
    case Qt::Key_Backspace: return QByteArray(1, '\b');
    case Qt::Key_Tab: return QByteArray(1, '\t');
    case Qt::Key_Escape: return QByteArray(1, '\x1b');
    default: break;
  }
  if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
    return QByteArray(1, static_cast<char>(key - Qt::Key_A + 1));
  }
  const QString text = event.text();
  if (text.size() != 1 || text[0].unicode() > 0xFF || text[0].unicode() < 0x20) return {};
  return QByteArray(1, static_cast<char>(text[0].unicode()));
}

}  // namespace qbc
