// Documents: new windows, open, save, save as, and the question before a changed one closes.
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>

#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

using Answer = DesktopServices::Answer;

class DocumentsTest : public EnvTest {
 protected:
  FrmDoc* Open(const QString& path) {
    services.fileNames = {path};
    main->OpenFile(QString::fromLatin1(kBasicFilter));
    return main->Documents().ActiveDoc();
  }
  QString FileLabel() { return main->findChild<QLabel*>(QStringLiteral("File"))->text(); }
};

TEST_F(DocumentsTest, UntitledNamesCountEveryNewWindow) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("a.bas"), "a\r\n");
  Open(path);
  Open(path);
  main->Documents().FileNew();
  FrmDoc* fifth = main->Documents().NewBasDoc();
  EXPECT_EQ(fifth->windowTitle(), QStringLiteral("Open Document - BasDoc5.bas"));
  EXPECT_EQ(main->Area()->subWindowList().size(), 5);
  EXPECT_EQ(main->Documents().EditorCommandId(), 1005);
}

TEST_F(DocumentsTest, OpenShowsTheFileAndClearsTheReport) {
  Start();
  main->Report().Sink().SetText("old report");
  const QString path = WriteWorkFile(QStringLiteral("My Prog.bas"), QByteArray("a = 1\nb = \xe9\n"));
  FrmDoc* doc = Open(path);
  ASSERT_EQ(services.dialogs.size(), 1u);
  EXPECT_EQ(services.dialogs[0].title, QStringLiteral("Open Basic source File"));
  EXPECT_EQ(services.dialogs[0].filter, QStringLiteral("Basic Files (*.bas)|*.bas|All Files (*.*)|*.*"));
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - ") + path);
  EXPECT_EQ(doc->Bytes(), QByteArray("a = 1\nb = \xe9\n"));
  EXPECT_EQ(FileLabel(), QStringLiteral("Source: My Prog.bas"));
  EXPECT_TRUE(main->Report().toPlainText().isEmpty());
  EXPECT_FALSE(doc->Changed());
}

TEST_F(DocumentsTest, CancelledOpenChangesNothing) {
  Start();
  services.fileNames = {QString()};
  main->OpenFile(QString::fromLatin1(kBasicFilter));
  EXPECT_EQ(main->Area()->subWindowList().size(), 1);
}

TEST_F(DocumentsTest, AFileThatCannotBeReadIsReported) {
  Start();
  Open(workDir);
  ASSERT_EQ(services.informations.size(), 1u);
  EXPECT_EQ(services.informations[0], QStringLiteral("Cannot open ") + workDir + QStringLiteral(": it is a folder"));
  EXPECT_TRUE(main->Documents().ActiveDoc()->Bytes().isEmpty());
}

TEST_F(DocumentsTest, SaveWritesTheBytesBackUnderTheSamePath) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("p.bas"), "a = 1\r\n");
  FrmDoc* doc = Open(path);
  doc->rt()->append(QStringLiteral("b = \xfc\r\n"));
  EXPECT_TRUE(doc->Changed());
  main->mnuFileSave_Click();
  EXPECT_EQ(services.dialogs.size(), 1u);  // only the Open dialog
  EXPECT_EQ(ReadWorkFile(path), QByteArray("a = 1\r\nb = \xfc\r\n"));
  EXPECT_FALSE(doc->Changed());
  EXPECT_EQ(main->Documents().CurrentFileName(), path);
}

TEST_F(DocumentsTest, SavingAnUntitledDocumentAsksForAName) {
  Start();
  FrmDoc* doc = main->Documents().NewBasDoc();
  doc->rt()->setText(QStringLiteral("x = 1\r\n"));
  services.fileNames = {QString()};
  main->mnuFileSave_Click();
  ASSERT_EQ(services.dialogs.size(), 1u);
  EXPECT_EQ(services.dialogs[0].title, QStringLiteral("Save File"));
  EXPECT_EQ(services.dialogs[0].initialName, QStringLiteral("Open Document - BasDoc2.bas"));
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - BasDoc2.bas"));
  EXPECT_TRUE(doc->Changed());

  const QString path = workDir + QStringLiteral("/named.bas");
  services.fileNames = {path};
  main->mnuFileSave_Click();
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - ") + path);
  EXPECT_FALSE(doc->Changed());
  EXPECT_EQ(ReadWorkFile(path), QByteArray("x = 1\r\n"));
  EXPECT_EQ(FileLabel(), QStringLiteral("Document: ") + path);
}

TEST_F(DocumentsTest, TheStartUpDocumentSavesIntoTheInstallationFolderWithoutADialog) {
  FrmMain& w = Start();
  w.mnuFileSave_Click();
  EXPECT_TRUE(services.dialogs.empty());
  EXPECT_TRUE(QFile::exists(installDir + QStringLiteral("/BasDoc1.bas")));
}

TEST_F(DocumentsTest, SaveAsWritesANewFileAndListsIt) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("p.bas"), "a\r\n");
  FrmDoc* doc = Open(path);
  doc->rt()->append(QStringLiteral("b\r\n"));
  services.fileNames = {QString()};
  main->Documents().SaveAs();
  EXPECT_TRUE(doc->Changed());
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - ") + path);

  const QString copy = workDir + QStringLiteral("/copy.asm");
  services.fileNames = {copy};
  main->Documents().SaveAs();
  EXPECT_EQ(services.dialogs.back().title, QStringLiteral("Save As"));
  EXPECT_EQ(services.dialogs.back().filter,
            QStringLiteral("Basic Files (*.bas)|*.bas|Asm Files (*.asm)|*.asm|List Files (*.lst)|*.lst|All Files (*.*)|*.*"));
  EXPECT_EQ(ReadWorkFile(copy), QByteArray("a\r\nb\r\n"));
  EXPECT_EQ(ReadWorkFile(path), QByteArray("a\r\n"));
  EXPECT_FALSE(doc->Changed());
  EXPECT_EQ(doc->windowTitle(), QStringLiteral("Open Document - ") + copy);
  EXPECT_EQ(FileLabel(), QStringLiteral("Open Document - ") + copy);
}

TEST_F(DocumentsTest, AFailedWriteIsReportedAndKeepsTheChange) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("p.bas"), "a\r\n");
  FrmDoc* doc = Open(path);
  doc->rt()->append(QStringLiteral("b\r\n"));
  doc->SetPath(workDir + QStringLiteral("/no such folder/p.bas"));
  main->mnuFileSave_Click();
  ASSERT_EQ(services.informations.size(), 1u);
  EXPECT_TRUE(services.informations[0].startsWith(QStringLiteral("Cannot save ") + workDir));
  EXPECT_TRUE(doc->Changed());
}

TEST_F(DocumentsTest, TheCloseQuestionNamesTheWindow) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("p.bas"), "a\r\n");
  FrmDoc* doc = Open(path);
  doc->rt()->append(QStringLiteral("b"));
  services.answers = {Answer::kCancel};
  EXPECT_FALSE(doc->close());
  ASSERT_EQ(services.questions.size(), 1u);
  EXPECT_EQ(services.questions[0].first, QStringLiteral("Message to user:"));
  EXPECT_EQ(services.questions[0].second, QStringLiteral("The file Open Document - ") + path +
                                              QStringLiteral(" has changed!\r\rDo you wish to save your changes?"));
  EXPECT_EQ(main->Area()->subWindowList().size(), 2);
}

// Edit A, edit B, save B, close A: A still asks, its edits are not lost.
TEST_F(DocumentsTest, EachDocumentKeepsItsOwnChangedFlag) {
  Start();
  FrmDoc* a = Open(WriteWorkFile(QStringLiteral("a.bas"), "a\r\n"));
  FrmDoc* b = Open(WriteWorkFile(QStringLiteral("b.bas"), "b\r\n"));
  a->rt()->append(QStringLiteral("edit a"));
  b->rt()->append(QStringLiteral("edit b"));
  main->mnuFileSave_Click();
  EXPECT_FALSE(b->Changed());
  EXPECT_TRUE(a->Changed());
  services.answers = {Answer::kCancel};
  EXPECT_FALSE(a->close());
  EXPECT_EQ(services.questions.size(), 1u);
  // An unchanged document closes without a question.
  EXPECT_TRUE(b->close());
  EXPECT_EQ(services.questions.size(), 1u);
}

// Yes saves the document being closed, not the active one.
TEST_F(DocumentsTest, YesSavesTheClosingDocument) {
  Start();
  const QString pathA = WriteWorkFile(QStringLiteral("a.bas"), "a\r\n");
  const QString pathB = WriteWorkFile(QStringLiteral("b.bas"), "b\r\n");
  FrmDoc* a = Open(pathA);
  FrmDoc* b = Open(pathB);
  a->rt()->append(QStringLiteral("A"));
  b->rt()->append(QStringLiteral("B"));
  ASSERT_EQ(main->Documents().ActiveDoc(), b);
  services.answers = {Answer::kYes};
  EXPECT_TRUE(a->close());
  EXPECT_EQ(ReadWorkFile(pathA), QByteArray("a\r\nA"));
  EXPECT_EQ(ReadWorkFile(pathB), QByteArray("b\r\n"));
  EXPECT_TRUE(b->Changed());
}

// Yes and then a cancelled Save dialog keeps the window open, unsaved.
TEST_F(DocumentsTest, YesWithACancelledSaveDialogCancelsTheClose) {
  Start();
  FrmDoc* doc = main->Documents().NewBasDoc();
  doc->rt()->setText(QStringLiteral("x"));
  services.answers = {Answer::kYes};
  services.fileNames = {QString()};
  EXPECT_FALSE(doc->close());
  EXPECT_EQ(main->Area()->subWindowList().size(), 2);
  EXPECT_TRUE(doc->Changed());
}

TEST_F(DocumentsTest, NoClosesWithoutSaving) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("a.bas"), "a\r\n");
  FrmDoc* doc = Open(path);
  doc->rt()->append(QStringLiteral("A"));
  services.answers = {Answer::kNo};
  EXPECT_TRUE(doc->close());
  EXPECT_EQ(ReadWorkFile(path), QByteArray("a\r\n"));
}

}  // namespace
}  // namespace qbc::test
