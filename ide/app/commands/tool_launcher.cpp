#include "ide/app/commands/tool_launcher.h"

#include <Qsci/qsciscintilla.h>

#include <QWidget>

#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "tools/tool_windows.h"

namespace qbc {

namespace {

void ShowModeless(QWidget* w) {
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace

ToolLauncher::ToolLauncher(DocumentManager& documents, QWidget* parent) : documents_(documents), parent_(parent) {}

ToolLauncher::~ToolLauncher() {
  // The tool windows have no owner: they end with the environment.
  delete terminal_.data();
  delete calc_.data();
}

void ToolLauncher::ShowTerminal() {
  if (!terminal_) terminal_ = CreateTerminalWindow();
  ShowModeless(terminal_);
}

void ToolLauncher::ShowCalc() {
  if (!calc_) calc_ = CreateCalcWindow();
  ShowModeless(calc_);
}

void ToolLauncher::DoLcd() {
  const auto line = RunLcdDesigner(parent_);
  FrmDoc* doc = documents_.ActiveDoc();
  if (!line || !doc) return;
  doc->rt()->replaceSelectedText(*line);
  doc->SetChanged(true);
}

}  // namespace qbc
