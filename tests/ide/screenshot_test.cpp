// Pictures of the environment for a person to look at: the main window with a coloured
// program and the report of a Run, the splash, and the report of a program with errors.
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QMdiSubWindow>

#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/frm_splash.h"
#include "ide/app/windows/report_box.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

const QByteArray kProgram =
    "'( Blinks an LED\r\n"
    "   on PORTB.0 )'\r\n"
    "$device = m8\r\n$clock = 8\r\n$stack = 32\r\n"
    "Dim Count As Byte , Text As String * 8\r\n"
    "Const Delay = 250\r\n"
    "Ddrb = &hFF\r\n"
    "Text = \"it's on\"    ' a string with an apostrophe\r\n"
    "Do\r\n  Portb.0 = 1\r\n  Waitms Delay\r\n  Portb.0 = 0\r\n  Waitms Delay\r\n  Incr Count\r\nLoop\r\nEnd\r\n";

TEST_F(EnvTest, ScreenshotsOfTheMainWindow) {
  Start();
  main->resize(1100, 760);
  services.fileNames = {WriteWorkFile(QStringLiteral("blink.bas"), kProgram)};
  main->OpenFile(QStringLiteral("Basic Files (*.bas)|*.bas"));
  FrmDoc* doc = main->Documents().ActiveDoc();
  doc->showMaximized();
  doc->rt()->setCursorPosition(10, 2);
  main->mnuTools_Run_Click();
  QApplication::processEvents();
  EXPECT_TRUE(main->Report().toPlainText().contains(QStringLiteral("Code size")));
  Screenshot(main.get(), QStringLiteral("env_main_run"));

  doc->rt()->setText(QString::fromLatin1(kProgram).replace(QStringLiteral("Waitms Delay"), QStringLiteral("Waitms")));
  main->mnuTools_Run_Click();
  QApplication::processEvents();
  Screenshot(main.get(), QStringLiteral("env_main_errors"));

  FrmSplash splash;
  splash.show();
  QApplication::processEvents();
  Screenshot(&splash, QStringLiteral("env_splash"));
}

}  // namespace
}  // namespace qbc::test
