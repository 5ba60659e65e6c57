#include "tools/terminal/ui/terminal_screen.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>

#include "tools/terminal/core/receive_transform.h"

namespace qbc {

namespace {

// The view leaves out every CR: the LF after it makes the line break.
QString ViewText(const std::string& model) {
  QString out;
  out.reserve(static_cast<qsizetype>(model.size()));
  for (const char c : model) {
    if (c != '\r') out += QChar(static_cast<unsigned char>(c));
  }
  return out;
}

}  // namespace

TerminalScreen::TerminalScreen(QPlainTextEdit& view) : view_(view) { view_.clear(); }

std::string TerminalScreen::Receive(const QByteArray& bytes) {
  const ReceivedChunk chunk = TransformReceived(text_.size(), bytes.toStdString());
  DropFront(chunk.dropFront);
  if (chunk.replaceLast) RemoveLast();
  Append(chunk.data);
  MoveCaretToEnd();
  return chunk.data;
}

void TerminalScreen::Typed(const QByteArray& bytes) {
  for (const char c : bytes) {
    if (c == '\b') {
      RemoveLast();
    } else if (c == '\r') {
      Append("\r\n");
    } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
      Append(std::string(1, c));
    }
  }
  MoveCaretToEnd();
}

void TerminalScreen::MoveCaretToEnd() { view_.moveCursor(QTextCursor::End); }

void TerminalScreen::DropFront(std::size_t count) {
  count = std::min(count, text_.size());
  if (count == 0) return;
  const auto viewCount = count - static_cast<std::size_t>(std::count(text_.begin(), text_.begin() + static_cast<long>(count), '\r'));
  text_.erase(0, count);
  QTextCursor cursor(view_.document());
  cursor.setPosition(static_cast<int>(viewCount), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}

void TerminalScreen::RemoveLast() {
  if (text_.empty()) return;
  const char last = text_.back();
  text_.pop_back();
  if (last == '\r') return;  // not shown in the view
  QTextCursor cursor(view_.document());
  cursor.movePosition(QTextCursor::End);
  cursor.deletePreviousChar();
}

void TerminalScreen::Append(const std::string& data) {
  text_ += data;
  QTextCursor cursor(view_.document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(ViewText(data));
}

}  // namespace qbc
