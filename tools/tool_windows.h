#pragma once
// The accessory windows as the environment opens them. The environment keeps one
// instance of each modeless window (created on first use) and owns the editor the LCD
// designer's line goes into; the tools know nothing of the environment.
#include <QString>
#include <optional>

class QWidget;

namespace qbc {

// The serial terminal `frmTerminal`: a modeless top-level window without an owner.
QWidget* CreateTerminalWindow();

// The timer reload calculator `frmCalc`: a modeless top-level window.
QWidget* CreateCalcWindow();

// Shows the LCD character designer `frmLCD` modally over `parent`. On OK returns the
// line "DefLcdChar 0, &hXX, ..." (eight row values) to insert; on Cancel nothing.
std::optional<QString> RunLcdDesigner(QWidget* parent);

}  // namespace qbc
