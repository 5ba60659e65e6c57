// The report box, the status labels and the editor's properties dialog.
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "ide/app/commands/document_manager.h"
#include "ide/app/editor/editor_properties_dialog.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "ide/core/basic_highlighter.h"
#include "ide/core/settings_keys.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

TEST_F(EnvTest, AnyKeyInTheReportBoxCopiesItsText) {
  Start();
  main->Report().Sink().SetText(" 1.  first\r\n 2.  second\r\n");
  QApplication::clipboard()->clear();
  QTest::keyClick(&main->Report(), Qt::Key_Shift);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral(" 1.  first\n 2.  second\n"));
}

TEST_F(EnvTest, AssemblerErrorLinesEndAtTheirOwnLineEnd) {
  Start();
  services.fileNames = {WriteWorkFile(QStringLiteral("bad.asm"), ".include \"m8def.inc\"\n\tfoo r1\n\tbar r2\n")};
  main->OpenFile(QStringLiteral("Assembler Files (*.asm)|*.asm"));
  main->mnuTools_Run_Click();
  const QStringList lines = main->Report().toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3) << main->Report().toPlainText().toStdString();
  EXPECT_EQ(lines[0], QStringLiteral("Assembling ....  : DONE"));
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral(" 1.  "))) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains(QStringLiteral(": error:")));
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral(" 2.  "))) << lines[2].toStdString();
  EXPECT_TRUE(lines[2].contains(QStringLiteral(": error:")));
}

TEST_F(EnvTest, TheActiveWindowNamesTheCurrentFile) {
  Start();
  auto* fileLabel = main->findChild<QLabel*>(QStringLiteral("File"));
  FrmDoc* first = main->Documents().ActiveDoc();
  FrmDoc* second = main->Documents().NewBasDoc();
  EXPECT_EQ(fileLabel->text(), QStringLiteral("Open Document - BasDoc2.bas"));
  EXPECT_EQ(main->Documents().CurrentFileName(), QStringLiteral("BasDoc2.bas"));
  main->Area()->setActiveSubWindow(first);
  EXPECT_EQ(main->Documents().CurrentFileName(), installDir + QStringLiteral("/BasDoc1.bas"));
  // A caption no longer than its prefix names no file.
  second->setWindowTitle(QStringLiteral("Open Document - "));
  main->Area()->setActiveSubWindow(second);
  EXPECT_EQ(main->Documents().CurrentFileName(), QString());
}

TEST_F(EnvTest, AnAcceptedLookReachesEveryWindowAndIsStoredOnClose) {
  Start();
  FrmDoc* second = main->Documents().NewBasDoc();
  EditorLook look = EditorLook::Defaults();
  look.colors[settings::kSlotKeyWord] = 255 * 256;  // green
  look.fonts[settings::kFontKeyWord] = 2;           // italic
  services.acceptedLook = look;
  main->ButtonPressed(9);
  for (QMdiSubWindow* w : main->Area()->subWindowList()) {
    QsciLexer* lexer = qobject_cast<FrmDoc*>(w)->rt()->lexer();
    EXPECT_EQ(lexer->color(static_cast<int>(TextStyle::kKeyWord)), QColor(0, 255, 0));
    EXPECT_TRUE(lexer->font(static_cast<int>(TextStyle::kKeyWord)).italic());
  }
  ASSERT_TRUE(second->close());
  EXPECT_EQ(Setting(settings::kColors, "KeyWord"), QStringLiteral("65280"));
  EXPECT_EQ(Setting(settings::kFonts, "KeyWord"), QStringLiteral("2"));
}

TEST_F(EnvTest, ThePropertiesDialogEditsACopyOfTheLook) {
  Start();
  EditorPropertiesDialog dialog(EditorLook::Defaults(), main.get());
  ASSERT_NE(dialog.findChild<QWidget*>(QStringLiteral("color_TextBkg")), nullptr);
  auto* selBound = dialog.findChild<QAbstractButton*>(QStringLiteral("selBound"));
  ASSERT_NE(selBound, nullptr);
  selBound->click();
  EXPECT_FALSE(dialog.Look().selBound);
  dialog.show();
  QApplication::processEvents();
  Screenshot(&dialog, QStringLiteral("env_editor_properties"));
}

}  // namespace
}  // namespace qbc::test
