// Stand-in windows until the accessory tools are built: each opens an empty window with
// the tool's fixed name and caption, and the designer returns nothing.
#include <QLabel>
#include <QWidget>

#include "tools/tool_windows.h"

namespace qbc {

namespace {

QWidget* MakeStandIn(const char* objectName, const char* caption) {
  auto* w = new QLabel(QStringLiteral("Not built yet"));
  w->setObjectName(QString::fromLatin1(objectName));
  w->setWindowTitle(QString::fromLatin1(caption));
  w->setAttribute(Qt::WA_QuitOnClose, false);
  return w;
}

}  // namespace

QWidget* CreateTerminalWindow() { return MakeStandIn("frmTerminal", "Terminal Emulator"); }

QWidget* CreateCalcWindow() { return MakeStandIn("frmCalc", "AVR Calculator"); }

std::optional<QString> RunLcdDesigner(QWidget*) { return std::nullopt; }

}  // namespace qbc
