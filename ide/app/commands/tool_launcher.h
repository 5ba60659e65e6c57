#pragma once
// The accessory windows: the terminal and the calculator are made on first use and shown
// modeless from then on; the LCD character designer returns a "DefLcdChar" line that goes
// into the active editor in place of its selection.
#include <QPointer>

class QWidget;

namespace qbc {

class DocumentManager;

class ToolLauncher {
 public:
  ToolLauncher(DocumentManager& documents, QWidget* parent);
  ~ToolLauncher();
  ToolLauncher(const ToolLauncher&) = delete;
  ToolLauncher& operator=(const ToolLauncher&) = delete;

  void ShowTerminal();
  void ShowCalc();
  void DoLcd();

  QWidget* Terminal() const { return terminal_; }
  QWidget* Calc() const { return calc_; }

 private:
  DocumentManager& documents_;
  QWidget* parent_;
  QPointer<QWidget> terminal_;
  QPointer<QWidget> calc_;
};

}  // namespace qbc
