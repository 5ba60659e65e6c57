// The menus: their keys, the accessory windows, File New, printing, the Window menu and
// About.
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "ide/app/commands/document_manager.h"
#include "ide/app/commands/tool_launcher.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/frm_splash.h"
#include "ide/app/windows/report_box.h"
#include "ide/core/new_file_template.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

class MenusTest : public EnvTest {
 protected:
  QAction* Action(const char* name) { return main->findChild<QAction*>(QString::fromLatin1(name)); }
  QStringList Captions(const char* menuName) {
    QStringList captions;
    for (QAction* a : main->findChild<QMenu*>(QString::fromLatin1(menuName))->actions())
      captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return captions;
  }
};

TEST_F(MenusTest, MenusAndTheirKeys) {
  Start();
  QStringList bar;
  for (QAction* a : main->menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "&Options", "&Tools", "&Window", "&Help"}));
  EXPECT_EQ(Captions("mnuFile"), (QStringList{"&New", "&Open", "-", "&Save", "Save &As", "-", "Page &Setup", "&Print",
                                              "-", "&Recent Files", "-", "E&xit"}));
  EXPECT_EQ(Captions("mnuTools"),
            (QStringList{"Find AvrStudio", "Find Programmer", "-", "Programmer", "Programmer Command Line", "AvrStudio",
                         "LCD Char Designer", "Terminal Emulator", "AVR Calculator", "-", "RUN   (Compile)",
                         "STOP  (Build)"}));
  EXPECT_EQ(Captions("mnuWindow"), (QStringList{"Arrange Icons", "Tile Vertical", "Cascade", "Tile Horizontal"}));
  EXPECT_EQ(Captions("mnuHelpMenu"), (QStringList{"&Help", "&About"}));
  EXPECT_EQ(Action("mnuEdit_Replace")->text(),
            QStringLiteral("&Replace") + QString(57, QLatin1Char(' ')) + QStringLiteral("Ctrl+Alt+R"));
  EXPECT_TRUE(Action("mnuEdit_Replace")->shortcut().isEmpty());
  const std::pair<const char*, const char*> keys[] = {
      {"mnuFileOpen", "Ctrl+O"},     {"mnuEdit_UnDo", "Ctrl+Z"},     {"mnuEdit_ReDo", "F8"},
      {"mnuEdit_Cut", "Ctrl+X"},     {"mnuEdit_Copy", "Ctrl+C"},     {"mnuEdit_Paste", "Ctrl+V"},
      {"mnuEdit_Delete", "Shift+Del"}, {"mnuEdit_Find", "Ctrl+F"},   {"mnuEdit_Next", "F3"},
      {"mnuEdit_GoTo", "Ctrl+G"},    {"mnuEdit_All", "Ctrl+A"},      {"mnuTools_RunProg", "F6"},
      {"mnuTools_RunStudio", "F7"},  {"mnuTools_LCD", "F4"},         {"mnuTools_Terminal", "F9"},
      {"mnuTools_Calc", "F11"},      {"mnuTools_Run", "F5"},         {"mnuTools_Stop", "Shift+F5"},
  };
  for (const auto& [name, key] : keys)
    EXPECT_EQ(Action(name)->shortcut(), QKeySequence(QString::fromLatin1(key))) << name;
}

TEST_F(MenusTest, KeysReachTheirCommands) {
  Start();
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  QsciScintilla* rt = main->Documents().ActiveDoc()->rt();
  rt->setFocus();
  QTest::keyClick(rt, Qt::Key_F9);
  QTest::keyClick(rt, Qt::Key_F11);
  ASSERT_NE(main->Tools().Terminal(), nullptr);
  ASSERT_NE(main->Tools().Calc(), nullptr);
  QWidget* terminal = main->Tools().Terminal();
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  QTest::keyClick(main.get(), Qt::Key_F9);
  EXPECT_EQ(main->Tools().Terminal(), terminal);
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  rt->setFocus();
  // Shift+Del deletes the selection and leaves the clipboard alone.
  QApplication::clipboard()->setText(QStringLiteral("kept"));
  rt->setSelection(0, 0, 0, 3);
  QTest::keyClick(rt, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
  EXPECT_EQ(main->Documents().ActiveDoc()->Bytes().left(3), QByteArray("///"));
  rt->undo();
  QTest::keyClick(rt, Qt::Key_F5);
  EXPECT_TRUE(main->Report().toPlainText().startsWith(QStringLiteral("Quorvil Compiler :")))
      << main->Report().toPlainText().toStdString();
}

TEST_F(MenusTest, FileNewTwiceGivesTwoWindowsWithTheTemplate) {
  Start();
  Action("mnuFileNew")->trigger();
  Action("mnuFileNew")->trigger();
  const auto windows = main->Area()->subWindowList();
  ASSERT_EQ(windows.size(), 3);
  for (int i = 1; i < 3; ++i) {
    auto* doc = qobject_cast<FrmDoc*>(windows[i]);
    EXPECT_EQ(doc->Bytes().toStdString(), NewFileTemplate());
    EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - BasDoc%1.bas").arg(i + 1));
  }
}

TEST_F(MenusTest, PrintAndPageSetupNeedADocument) {
  Start();
  Action("mnuFilePrint")->trigger();
  Action("mnuFilePageSetup")->trigger();
  EXPECT_EQ(services.prints, 1);
  EXPECT_EQ(services.pageSetups, 1);
  main->Documents().ActiveDoc()->close();
  Action("mnuFilePrint")->trigger();
  Action("mnuFilePageSetup")->trigger();
  EXPECT_EQ(services.prints, 1);
  EXPECT_EQ(services.pageSetups, 1);
}

TEST_F(MenusTest, TheWindowMenuArrangesTheDocuments) {
  Start();
  main->Documents().FileNew();
  main->Documents().FileNew();
  const QSize inner = main->Area()->viewport()->size();
  const auto windows = main->Area()->subWindowList();
  Action("mnuWindowTileVertical")->trigger();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(windows[i]->geometry(), QRect(i * (inner.width() / 3), 0, inner.width() / 3, inner.height()));
  }
  Action("mnuWindowTileHorizontal")->trigger();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(windows[i]->geometry(), QRect(0, i * (inner.height() / 3), inner.width(), inner.height() / 3));
  }
  Action("mnuWindowCascade")->trigger();
  EXPECT_LT(windows[0]->x(), windows[1]->x());
  EXPECT_LT(windows[1]->y(), windows[2]->y());
  windows[0]->showMinimized();
  windows[1]->showMinimized();
  Action("mnuWindowArrangeIcons")->trigger();
  EXPECT_EQ(windows[0]->x(), 0);
  EXPECT_EQ(windows[1]->x(), windows[0]->width());
  EXPECT_EQ(windows[0]->geometry().bottom(), inner.height() - 1);
}

TEST_F(MenusTest, AboutShowsTheSplashAndItsClickOpensNoSecondMainWindow) {
  int mainWindows = 0;
  EnvironmentOptions options;
  options.installDir = installDir;
  options.services = &services;
  options.waitMs = 0;
  options.showAbout = [] { (new FrmSplash())->show(); };
  main = std::make_unique<FrmMain>(options);
  main->Load();
  Action("mnuHelpAbout")->trigger();
  QPointer<FrmSplash> about;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* s = qobject_cast<FrmSplash*>(w); s && s->isVisible()) about = s;
  ASSERT_NE(about, nullptr);
  QTest::mouseClick(about, Qt::LeftButton);
  QApplication::processEvents();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<FrmMain*>(w) && w->isVisible()) ++mainWindows;
  EXPECT_EQ(mainWindows, 1);
  EXPECT_TRUE(about.isNull() || !about->isVisible());
}

}  // namespace
}  // namespace qbc::test
