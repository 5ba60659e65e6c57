// The environment's entry points into the accessory windows.
#include "tools/tool_windows.h"

#include "tools/calc/ui/frm_calc.h"
#include "tools/common/tool_dialogs.h"
#include "tools/common/tool_globals.h"
#include "tools/lcd/core/lcd_char.h"
#include "tools/lcd/ui/frm_lcd.h"
#include "tools/terminal/ui/frm_terminal.h"
#include "tools/terminal/ui/serial_comm.h"

namespace qbc {

QWidget* CreateTerminalWindow() { return new frmTerminal(MakeQtSerialComm(), QtToolDialogs()); }

QWidget* CreateCalcWindow() { return new frmCalc; }

std::optional<QString> RunLcdDesigner(QWidget* parent) {
  // Only "Generate" yields a line: the window's close box must not bring back the
  // result of an earlier session.
  LcdCharOk = false;
  frmLCD designer(parent);
  designer.exec();
  if (!LcdCharOk) return std::nullopt;
  return QString::fromStdString(DefLcdCharLine(LcdCharRows));
}

}  // namespace qbc
