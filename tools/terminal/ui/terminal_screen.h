#pragma once
// The terminal's text: a model string with CR LF line ends, kept bounded, and its view in
// a QPlainTextEdit, which shows each CR LF as one line break.
#include <QByteArray>
#include <string>

class QPlainTextEdit;

namespace qbc {

class TerminalScreen {
 public:
  explicit TerminalScreen(QPlainTextEdit& view);

  // Shows a received chunk; returns the text as shown, which is what the log receives.
  std::string Receive(const QByteArray& bytes);
  // Shows a typed key locally (echo on, or the port closed).
  void Typed(const QByteArray& bytes);
  void MoveCaretToEnd();

  const std::string& Text() const { return text_; }

 private:
  void DropFront(std::size_t count);
  void RemoveLast();
  void Append(const std::string& data);

  QPlainTextEdit& view_;
  std::string text_;
};

}  // namespace qbc
