// The button bar: frames read from the widget's pixels, the operation of each button and
// the focus rule.
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ide/app/commands/document_manager.h"
#include "ide/app/commands/tool_launcher.h"
#include "ide/app/windows/button_bar.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "ide/core/settings_keys.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

using Frame = PictureButton::Frame;

// The frame drawn on a button, read from its pixels.
Frame FrameOf(PictureButton* b) {
  const QImage img = b->grab().toImage();
  const QColor top = img.pixelColor(10, 0);
  const QColor left = img.pixelColor(0, 10);
  const QColor bottom = img.pixelColor(10, 31);
  const QColor right = img.pixelColor(31, 10);
  if (top == ButtonBar::kDarkBlue && left == ButtonBar::kDarkBlue && bottom == ButtonBar::kLightBlue &&
      right == ButtonBar::kLightBlue)
    return Frame::kPressed;
  if (top == ButtonBar::kLightBlue && left == ButtonBar::kLightBlue && bottom == ButtonBar::kDarkBlue &&
      right == ButtonBar::kDarkBlue)
    return Frame::kRaised;
  return Frame::kPlain;
}

TEST_F(EnvTest, HoverAndPressFramesFollowTheMouse) {
  Start();
  ButtonBar& bar = main->Buttons();
  for (int i = 0; i < ButtonBar::kCount; ++i) EXPECT_EQ(FrameOf(bar.Button(i)), Frame::kPlain) << i;
  QTest::mouseMove(bar.Button(3));
  bar.MouseMove(3);
  EXPECT_EQ(FrameOf(bar.Button(3)), Frame::kRaised);
  bar.MouseMove(4);
  EXPECT_EQ(FrameOf(bar.Button(3)), Frame::kPlain);
  EXPECT_EQ(FrameOf(bar.Button(4)), Frame::kRaised);
  bar.MouseMove(4);
  EXPECT_EQ(FrameOf(bar.Button(4)), Frame::kRaised);
  EXPECT_EQ(bar.HotIndex(), 4);

  // A press on the comment button: pressed while it runs, raised after the release.
  QTest::mousePress(bar.Button(6), Qt::LeftButton);
  EXPECT_EQ(FrameOf(bar.Button(6)), Frame::kPressed);
  EXPECT_EQ(FrameOf(bar.Button(4)), Frame::kRaised);
  QTest::mouseRelease(bar.Button(6), Qt::LeftButton);
  EXPECT_EQ(FrameOf(bar.Button(6)), Frame::kRaised);
  EXPECT_EQ(bar.HotIndex(), 6);
}

TEST_F(EnvTest, TheButtonsFormFiveGroups) {
  Start();
  ButtonBar& bar = main->Buttons();
  std::vector<int> gaps;
  for (int i = 1; i < ButtonBar::kCount; ++i) gaps.push_back(bar.Button(i)->x() - bar.Button(i - 1)->x());
  const std::vector<int> expected{35, 35, 35, 50, 35, 35, 35, 50, 35, 50, 35, 35, 35, 35, 35, 50, 35};
  EXPECT_EQ(gaps, expected);
  EXPECT_EQ(bar.Button(0)->pos(), QPoint(5, 5));
}

class ButtonOperations : public EnvTest {
 protected:
  void SetUp() override {
    EnvTest::SetUp();
    SetSetting(settings::kStartup, settings::kProgram, QStringLiteral("/t/prog"));
    SetSetting(settings::kStartup, settings::kDebug, QStringLiteral("/t/sim"));
    Start();
    main->activateWindow();
    doc = main->Documents().ActiveDoc();
    doc->SetBytes("a\r\n");
    doc->rt()->setSelection(0, 0, 1, 0);
  }
  void Press(int i) {
    main->Report().setFocus();
    main->Buttons().MouseDown(i);
    main->Buttons().MouseUp(i);
  }
  bool EditorHasFocus() { return QApplication::focusWidget() == main->Documents().ActiveDoc()->rt(); }
  FrmDoc* doc = nullptr;
};

TEST_F(ButtonOperations, FileAndEditButtonsActOnTheEditorAndGiveItTheFocus) {
  Press(4);
  EXPECT_EQ(doc->Bytes(), QByteArray("\ta\r\n"));
  doc->rt()->setSelection(0, 0, 1, 0);
  Press(5);
  EXPECT_EQ(doc->Bytes(), QByteArray("a\r\n"));
  doc->rt()->setSelection(0, 0, 1, 0);
  Press(6);
  EXPECT_EQ(doc->Bytes(), QByteArray("'a\r\n"));
  doc->rt()->setSelection(0, 0, 1, 0);
  Press(7);
  EXPECT_EQ(doc->Bytes(), QByteArray("a\r\n"));
  EXPECT_TRUE(EditorHasFocus());
  Press(8);
  EXPECT_EQ(services.prints, 1);
  Press(9);
  EXPECT_EQ(services.lookDialogs, 1);
  Press(3);
  EXPECT_TRUE(QFile::exists(installDir + QStringLiteral("/BasDoc1.bas")));
  Press(1);
  EXPECT_EQ(services.dialogs.back().filter, QStringLiteral("Basic Files (*.bas)|*.bas|All Files (*.*)|*.*"));
  Press(2);
  EXPECT_EQ(services.dialogs.back().filter, QStringLiteral("Assembler Files (*.asm)|*.asm|All Files (*.*)|*.*"));
  Press(0);
  EXPECT_EQ(main->Area()->subWindowList().size(), 2);
  EXPECT_TRUE(EditorHasFocus());
  Press(10);
  EXPECT_TRUE(main->Report().toPlainText().startsWith(QStringLiteral("Quorvil Compiler :")))
      << main->Report().toPlainText().toStdString();
  EXPECT_TRUE(EditorHasFocus());
}

TEST_F(ButtonOperations, ProgramButtonsLeaveTheFocusAlone) {
  Press(11);
  ASSERT_EQ(services.starts.size(), 1u);
  EXPECT_EQ(services.starts[0].program, QStringLiteral("/t/prog"));
  Press(12);
  ASSERT_EQ(services.starts.size(), 2u);
  EXPECT_EQ(services.starts[1].program, QStringLiteral("/t/sim"));
  EXPECT_FALSE(EditorHasFocus());
  Press(16);
  EXPECT_EQ(services.messages.size(), 1u);
  EXPECT_FALSE(EditorHasFocus());
}

TEST_F(ButtonOperations, ToolButtonsOpenOneWindowEach) {
  Press(14);
  Press(15);
  QWidget* terminal = main->Tools().Terminal();
  QWidget* calc = main->Tools().Calc();
  ASSERT_NE(terminal, nullptr);
  ASSERT_NE(calc, nullptr);
  EXPECT_TRUE(terminal->isVisible());
  EXPECT_TRUE(calc->isVisible());
  EXPECT_FALSE(EditorHasFocus());
  terminal->close();
  Press(14);
  Press(15);
  EXPECT_EQ(main->Tools().Terminal(), terminal);
  EXPECT_EQ(main->Tools().Calc(), calc);
  EXPECT_TRUE(terminal->isVisible());
}

TEST_F(ButtonOperations, TheLcdButtonInsertsTheDesignersLineAndFocusesTheEditor) {
  doc->rt()->setSelection(0, 0, 0, 1);
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() != QLatin1String("frmLCD") || !w->isVisible()) continue;
      if (auto* ok = w->findChild<QPushButton*>(QStringLiteral("cmdOK"))) ok->click();
    }
  });
  Press(13);
  EXPECT_TRUE(doc->Bytes().startsWith("DefLcdChar 0, &h")) << doc->Bytes().toStdString();
  EXPECT_TRUE(doc->Bytes().endsWith("\r\n"));
  EXPECT_TRUE(doc->Changed());
  // The offscreen platform does not make the main window active again after the modal
  // designer, so the focus shows as the main window's focus child.
  EXPECT_EQ(main->focusWidget(), doc->rt());
}

TEST_F(ButtonOperations, ClosingTheDesignerChangesNothing) {
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String("frmLCD") && w->isVisible()) w->close();
  });
  main->DoLcd();
  EXPECT_EQ(doc->Bytes(), QByteArray("a\r\n"));
  EXPECT_FALSE(doc->Changed());
}

TEST_F(ButtonOperations, ExitClosesTheMainWindow) {
  Press(17);
  EXPECT_FALSE(main->isVisible());
}

}  // namespace
}  // namespace qbc::test
