// Start-up, splash and shut-down of the environment.
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/frm_splash.h"
#include "ide/core/new_file_template.h"
#include "ide/core/settings_keys.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

using settings::kLastFile;
using settings::kStartup;

TEST_F(EnvTest, FirstStartGivesOneUntitledDocumentWithTheTemplate) {
  FrmMain& w = Start();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvil Basic Compiler for AVR microcontrolers"));
  ASSERT_EQ(w.Area()->subWindowList().size(), 1);
  FrmDoc* doc = w.Documents().ActiveDoc();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - ") + installDir + QStringLiteral("/BasDoc1.bas"));
  EXPECT_EQ(doc->Bytes().toStdString(), NewFileTemplate());
  EXPECT_FALSE(doc->Changed());
  EXPECT_EQ(doc->rt()->lines(), 13);
}

TEST_F(EnvTest, LastFileReopensAndBecomesTheCurrentFolder) {
  const QString path = WriteWorkFile(QStringLiteral("sub dir/Prog.bas"), "Dim A As Byte\r\n");
  SetSetting(kStartup, kLastFile, path);
  FrmMain& w = Start();
  FrmDoc* doc = w.Documents().ActiveDoc();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - ") + path);
  EXPECT_EQ(doc->Bytes(), QByteArray("Dim A As Byte\r\n"));
  EXPECT_EQ(QDir::currentPath(), workDir + QStringLiteral("/sub dir"));
  EXPECT_EQ(w.Documents().CurrentFileName(), path);
}

TEST_F(EnvTest, ALastFileThatIsGoneOrAFolderGivesTheTemplate) {
  for (const QString& last : {workDir + QStringLiteral("/gone.bas"), workDir}) {
    SetSetting(kStartup, kLastFile, last);
    FrmMain& w = Start();
    ASSERT_NE(w.Documents().ActiveDoc(), nullptr);
    EXPECT_EQ(w.Documents().ActiveDoc()->Bytes().toStdString(), NewFileTemplate());
  }
}

TEST_F(EnvTest, ClosingTheMainWindowStoresTheLastFile) {
  const QString path = WriteWorkFile(QStringLiteral("p.bas"), "x\r\n");
  SetSetting(kStartup, kLastFile, path);
  FrmMain& w = Start();
  w.Documents().FileNew();
  // The untitled window is unchanged: no question; the active document is the last file.
  w.Area()->setActiveSubWindow(w.Area()->subWindowList().first());
  QSignalSpy ended(&w, &FrmMain::shutDown);
  EXPECT_TRUE(w.close());
  EXPECT_EQ(ended.count(), 1);
  EXPECT_TRUE(services.questions.empty());
  EXPECT_EQ(Setting(kStartup, kLastFile), path);
}

TEST_F(EnvTest, ADocumentAnsweringCancelStopsTheShutDown) {
  FrmMain& w = Start();
  FrmDoc* doc = w.Documents().ActiveDoc();
  doc->rt()->insert(QStringLiteral("x"));
  services.answers = {DesktopServices::Answer::kCancel};
  QSignalSpy ended(&w, &FrmMain::shutDown);
  EXPECT_FALSE(w.close());
  EXPECT_EQ(ended.count(), 0);
  EXPECT_EQ(w.Area()->subWindowList().size(), 1);
  EXPECT_TRUE(Setting(kStartup, kLastFile).isEmpty());
}

// Each changed document asks for itself when the main window closes; saving the first
// does not silence the second.
TEST_F(EnvTest, ClosingTheMainWindowAsksEveryChangedDocument) {
  const QString path = WriteWorkFile(QStringLiteral("a.bas"), "a\r\n");
  SetSetting(kStartup, kLastFile, path);
  FrmMain& w = Start();
  FrmDoc* a = w.Documents().ActiveDoc();
  FrmDoc* b = w.Documents().NewBasDoc();
  a->rt()->append(QStringLiteral("A"));
  b->rt()->append(QStringLiteral("B"));
  services.answers = {DesktopServices::Answer::kYes, DesktopServices::Answer::kNo};
  EXPECT_TRUE(w.close());
  ASSERT_EQ(services.questions.size(), 2u);
  EXPECT_TRUE(services.questions[0].second.contains(path));
  EXPECT_TRUE(services.questions[1].second.contains(QStringLiteral("BasDoc2.bas")));
  EXPECT_EQ(ReadWorkFile(path), QByteArray("a\r\nA"));
}

TEST(Splash, TimerOrClicksOpenTheMainWindowOnce) {
  int opened = 0;
  auto* splash = new FrmSplash([&] { ++opened; });
  QPointer<FrmSplash> alive(splash);
  splash->show();
  auto* version = splash->findChild<QLabel*>(QStringLiteral("lblVersionNumber"));
  ASSERT_NE(version, nullptr);
  EXPECT_TRUE(version->text().startsWith(QStringLiteral("Ver: ")));
  EXPECT_EQ(splash->Timer()->interval(), 3000);
  QTest::mouseClick(splash, Qt::LeftButton);
  QTest::mouseClick(splash, Qt::LeftButton);
  splash->Timer()->setInterval(0);
  splash->StartTimer();
  QTest::qWait(20);
  EXPECT_EQ(opened, 1);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());
}

}  // namespace
}  // namespace qbc::test
