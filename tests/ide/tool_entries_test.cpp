// The accessory windows as the environment opens them: F9 and F11 show the one terminal
// and calculator, F4 runs the LCD designer and puts its line into the active editor.
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "ide/app/commands/document_manager.h"
#include "ide/app/commands/tool_launcher.h"
#include "ide/app/windows/frm_doc.h"
#include "tests/ide/support/env_fixture.h"
#include "tests/tools/support/tool_test_support.h"
#include "tools/calc/ui/frm_calc.h"
#include "tools/lcd/ui/frm_lcd.h"
#include "tools/lcd/ui/lcd_picture.h"
#include "tools/terminal/ui/frm_terminal.h"

namespace qbc::test {
namespace {

// Presses the menu key; the key must be the one the Tools entry carries.
void PressToolKey(FrmMain& w, const char* action, Qt::Key key) {
  QAction* a = w.findChild<QAction*>(QLatin1String(action));
  ASSERT_NE(a, nullptr) << action;
  ASSERT_EQ(a->shortcut(), QKeySequence(key)) << action;
  a->trigger();
}

template <typename T>
int VisibleWindows() {
  int count = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<T*>(w) && w->isVisible()) ++count;
  }
  return count;
}

TEST_F(EnvTest, F9AndF11ShowOneTerminalAndOneCalculatorHoweverOftenPressed) {
  FrmMain& w = Start();
  PressToolKey(w, "mnuTools_Terminal", Qt::Key_F9);
  PressToolKey(w, "mnuTools_Terminal", Qt::Key_F9);
  PressToolKey(w, "mnuTools_Calc", Qt::Key_F11);
  PressToolKey(w, "mnuTools_Calc", Qt::Key_F11);
  EXPECT_EQ(VisibleWindows<frmTerminal>(), 1);
  EXPECT_EQ(VisibleWindows<frmCalc>(), 1);
  EXPECT_EQ(w.Tools().Terminal()->objectName(), "frmTerminal");
  EXPECT_EQ(w.Tools().Calc()->objectName(), "frmCalc");
  EXPECT_EQ(w.Tools().Terminal()->parentWidget(), nullptr);  // no owner

  // The button bar's Ter and Calc buttons show the same windows.
  w.ButtonPressed(14);
  w.ButtonPressed(15);
  EXPECT_EQ(VisibleWindows<frmTerminal>(), 1);
  EXPECT_EQ(VisibleWindows<frmCalc>(), 1);

  // Closed and asked for again, the same windows come back.
  QWidget* terminal = w.Tools().Terminal();
  terminal->close();
  PressToolKey(w, "mnuTools_Terminal", Qt::Key_F9);
  EXPECT_EQ(w.Tools().Terminal(), terminal);
  EXPECT_TRUE(terminal->isVisible());
}

// Runs F4 and acts on the designer once it shows.
void DesignWithF4(FrmMain& w, std::function<void(frmLCD&)> act) {
  ActWhenShown<frmLCD>(std::move(act));
  PressToolKey(w, "mnuTools_LCD", Qt::Key_F4);
}

void SetTopLeftDotAndGenerate(frmLCD& lcd) {
  auto* grid = lcd.findChild<LcdPicture*>("picCH");
  QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(5 * grid->Scale(), 5 * grid->Scale()));
  lcd.findChild<QPushButton*>("cmdOK")->click();
}

TEST_F(EnvTest, F4InsertsTheDesignedCharacterAtTheCaretAndMarksTheDocumentChanged) {
  FrmMain& w = Start();
  FrmDoc* doc = w.Documents().ActiveDoc();
  ASSERT_NE(doc, nullptr);
  doc->rt()->setText("A\nB\n");
  doc->rt()->setCursorPosition(1, 0);
  doc->SetChanged(false);

  DesignWithF4(w, [](frmLCD& lcd) { lcd.findChild<QPushButton*>("cmdCC")->click(); });
  EXPECT_EQ(doc->rt()->text(), "A\nB\n");
  EXPECT_FALSE(doc->Changed());

  DesignWithF4(w, SetTopLeftDotAndGenerate);
  EXPECT_EQ(doc->rt()->text(), "A\nDefLcdChar 0, &h10, &h00, &h00, &h00, &h00, &h00, &h00, &h00B\n");
  EXPECT_TRUE(doc->Changed());

  // The button bar's designer button does the same, replacing a selection.
  doc->rt()->setSelection(0, 0, 0, 1);
  ActWhenShown<frmLCD>(SetTopLeftDotAndGenerate);
  w.ButtonPressed(13);
  EXPECT_TRUE(doc->rt()->text().startsWith("DefLcdChar 0, &h10, &h00, &h00, &h00, &h00, &h00, &h00, &h00\nDefLcdChar"));
}

TEST_F(EnvTest, F4WithNoDocumentInsertsNothing) {
  FrmMain& w = Start();
  w.Area()->closeAllSubWindows();
  QApplication::processEvents();
  ASSERT_EQ(w.Documents().ActiveDoc(), nullptr);
  DesignWithF4(w, SetTopLeftDotAndGenerate);
  EXPECT_EQ(w.Documents().ActiveDoc(), nullptr);
  EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace qbc::test
