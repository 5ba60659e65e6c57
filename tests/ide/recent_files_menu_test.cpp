// The recent-files list in the window: File Open and Save As fill it, recent.res keeps it,
// its items reopen their files.
#include <QAction>
#include <QFile>
#include <QMdiArea>

#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

class RecentTest : public EnvTest {
 protected:
  QString Open(const QString& name) {
    const QString path = WriteWorkFile(name, name.toLatin1());
    services.fileNames = {path};
    main->OpenFile(QString::fromLatin1(kBasicFilter));
    return path;
  }
  QAction* Item(int i) { return main->findChild<QAction*>(QStringLiteral("mnuRec%1").arg(i)); }
  QByteArray RecentBytes() { return ReadWorkFile(installDir + QStringLiteral("/inc/recent.res")); }
};

QByteArray Entry(const QString& path) {
  const QByteArray bytes = path.toLatin1();
  return QByteArray(1, static_cast<char>(bytes.size())) + QByteArray(1, '\0') + bytes;
}

TEST_F(RecentTest, OpenAndSaveAsListNewestFirstByteForByte) {
  Start();
  EXPECT_FALSE(Item(0)->isVisible());
  const QString a = Open(QStringLiteral("a.bas"));
  const QString b = Open(QStringLiteral("b.bas"));
  const QString c = workDir + QStringLiteral("/c.bas");
  services.fileNames = {c};
  main->Documents().SaveAs();
  EXPECT_EQ(RecentBytes(), Entry(c) + Entry(b) + Entry(a) + QByteArray(6, '\0'));
  EXPECT_EQ(Item(0)->text(), c);
  EXPECT_EQ(Item(2)->text(), a);
  EXPECT_TRUE(Item(2)->isVisible());
  EXPECT_FALSE(Item(3)->isVisible());
}

TEST_F(RecentTest, ASeventhFileDropsTheOldest) {
  Start();
  QStringList paths;
  for (int i = 1; i <= 7; ++i) paths << Open(QStringLiteral("f%1.bas").arg(i));
  QByteArray expected;
  for (int i = 6; i >= 1; --i) expected += Entry(paths[i]);
  EXPECT_EQ(RecentBytes(), expected);
  EXPECT_EQ(Item(5)->text(), paths[1]);
}

TEST_F(RecentTest, TheListIsReadAtStartUpAndAnItemReopensItsFile) {
  const QString path = WriteWorkFile(QStringLiteral("R&D/old.bas"), "old text\r\n");
  const QByteArray bytes = Entry(path) + QByteArray(10, '\0');
  QFile f(installDir + QStringLiteral("/inc/recent.res"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  f.close();
  Start();
  // "&" in a path is shown, not taken as an access key.
  EXPECT_EQ(Item(0)->text(), QString(path).replace(QStringLiteral("&"), QStringLiteral("&&")));
  EXPECT_FALSE(Item(1)->isVisible());
  main->Report().Sink().SetText("old report");
  Item(0)->trigger();
  FrmDoc* doc = main->Documents().ActiveDoc();
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - ") + path);
  EXPECT_EQ(doc->Bytes(), QByteArray("old text\r\n"));
  EXPECT_TRUE(main->Report().toPlainText().isEmpty());
  // Reopening does not reorder the list.
  EXPECT_EQ(RecentBytes(), bytes);
}

TEST_F(RecentTest, AnEntryWhoseFileIsGoneOpensAnEmptyWindow) {
  Start();
  const QString path = Open(QStringLiteral("gone.bas"));
  QFile::remove(path);
  Item(0)->trigger();
  EXPECT_EQ(main->Area()->subWindowList().size(), 3);
  EXPECT_EQ(main->Documents().ActiveDoc()->windowTitle(), QStringLiteral("Open Document - ") + path);
  EXPECT_TRUE(main->Documents().ActiveDoc()->Bytes().isEmpty());
}

}  // namespace
}  // namespace qbc::test
