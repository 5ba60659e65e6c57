// Documents: new windows, open, save, save as, and the question before a changed one closes.
#include <Qsci/qsciscintilla.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QTest>

#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "tests/ide/support/env_fixture.h"
#include "tests/support/full_disk.h"

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

// A file that cannot be opened is reported and opens nothing: no empty window captioned
// with its path, which a Save would write over the file, and no recent entry.
TEST_F(DocumentsTest, AFileThatCannotBeOpenedOpensNoWindowAndIsNotListed) {
  Start();
  ASSERT_EQ(mkfifo(QFile::encodeName(workDir + QStringLiteral("/pipe.bas")).constData(), 0600), 0);
  const struct {
    QString path;
    QString why;
  } cases[] = {
      {workDir, QStringLiteral("Is a directory")},
      {workDir + QStringLiteral("/pipe.bas"), QStringLiteral("not a regular file")},
      {QStringLiteral("/dev/zero"), QStringLiteral("not a regular file")},
      {workDir + QStringLiteral("/gone.bas"), QStringLiteral("No such file or directory")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    main->Report().Sink().SetText("old report");
    Open(c.path);
    EXPECT_EQ(services.informations.back(), QStringLiteral("Cannot open ") + c.path + QStringLiteral(": ") + c.why);
    EXPECT_EQ(main->Area()->subWindowList().size(), 1);
    EXPECT_EQ(main->Report().toPlainText(), QStringLiteral("old report"));
    EXPECT_FALSE(QFile::exists(installDir + QStringLiteral("/inc/recent.res")));
  }
}

// A NUL byte in a document: every byte is loaded, compiled and saved (the editor cut the
// text at the NUL, and a Save wrote the cut text over the file).
TEST_F(DocumentsTest, ADocumentWithANulByteIsLoadedBuiltAndSavedWhole) {
  Start();
  const QByteArray text = QByteArray("$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim A As Byte\r\nA = 1\r\n"
                                     "A = 2\r\nA = 3\r\nA = 4 ") +
                          QByteArray(1, '\0') + QByteArray("\r\nA = 5\r\nEnd\r\n");
  const QString path = WriteWorkFile(QStringLiteral("nul.bas"), text);
  FrmDoc* doc = Open(path);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->Bytes(), text);
  EXPECT_EQ(doc->rt()->lines(), 11);
  Screenshot(main.get(), QStringLiteral("document-with-nul"));
  // The NUL reaches the compiler at its line: no program of seven lines compiled OK.
  main->mnuTools_Run_Click();
  EXPECT_TRUE(main->Report().toPlainText().startsWith(QStringLiteral(" 1. Invalid character"))) << main->Report().toPlainText().toStdString();
  EXPECT_TRUE(main->Report().toPlainText().contains(QStringLiteral("--> Line  8)")));
  doc->rt()->append(QStringLiteral("' end\r\n"));
  main->mnuFileSave_Click();
  EXPECT_EQ(ReadWorkFile(path), text + "' end\r\n");
}

// Every save path on a disk that fills up part-way through the write: the old file stays as
// it was (or no file is made), the failure is shown, and the document keeps its window and
// its changes (a Save used to leave the file cut or empty, counted as saved).
TEST_F(DocumentsTest, EverySaveOnAFullDiskKeepsTheOldFileAndTheChanges) {
  const QByteArray old = QByteArray("$device = m8\r\n$clock = 8\r\n$stack = 32\r\nDim A As Byte\r\n") +
                         QByteArray("A = 1\r\n").repeated(8);
  const QString added = QStringLiteral("A = A + 1 ' a line the user typed\r\n").repeated(600);
  enum class Path { kSave, kSaveAs, kCloseYes, kStartUpDocument };
  const std::pair<Path, const char*> paths[] = {{Path::kSave, "Save"},
                                                {Path::kSaveAs, "Save As"},
                                                {Path::kCloseYes, "the close question's Yes"},
                                                {Path::kStartUpDocument, "the start-up document"}};
  for (FullDiskKind kind : FullDiskKinds()) {
    for (const auto& entry : paths) {
      // Named copies, not a structured binding: the lambda below captures them.
      const Path which = entry.first;
      const char* const name = entry.second;
      SCOPED_TRACE(std::string(KindName(kind)) + ", " + name);
      FullDisk disk(kind);
      const QString dir = QString::fromStdString(disk.Dir());
      UseInstallDir(dir + QStringLiteral("/install"));
      Start();
      services.informations.clear();
      const QString path = which == Path::kStartUpDocument ? installDir + QStringLiteral("/BasDoc1.bas")
                                                           : WriteWorkFile(QStringLiteral("p.bas"), old);
      FrmDoc* doc = which == Path::kStartUpDocument ? main->Documents().ActiveDoc() : nullptr;
      if (!doc) {
        const QString onDisk = dir + QStringLiteral("/p.bas");
        QFile::copy(path, onDisk);
        doc = Open(onDisk);
      }
      ASSERT_TRUE(doc);
      const QString docPath = doc->Path();
      const QString caption = doc->windowTitle();
      doc->rt()->append(added);
      const QString saveAsPath = dir + QStringLiteral("/copy.bas");
      disk.WhileFull(4096, [&] {
        switch (which) {
          case Path::kSave:
          case Path::kStartUpDocument:
            main->mnuFileSave_Click();
            break;
          case Path::kSaveAs:
            services.fileNames = {saveAsPath};
            main->Documents().SaveAs();
            break;
          case Path::kCloseYes:
            services.answers = {Answer::kYes};
            EXPECT_FALSE(doc->close());
            break;
        }
      });
      ASSERT_EQ(services.informations.size(), 1u);
      const QString target = which == Path::kSaveAs ? saveAsPath : docPath;
      EXPECT_TRUE(services.informations[0].startsWith(QStringLiteral("Cannot save ") + target + QStringLiteral(": ")))
          << services.informations[0].toStdString();
      if (which == Path::kStartUpDocument) {
        EXPECT_FALSE(QFile::exists(docPath));
      } else {
        EXPECT_EQ(ReadWorkFile(docPath), old);
      }
      EXPECT_FALSE(QFile::exists(saveAsPath));
      EXPECT_TRUE(doc->Changed());
      EXPECT_EQ(doc->windowTitle(), caption);
      EXPECT_TRUE(doc->Bytes().endsWith(added.toLatin1()));
      EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), which == Path::kStartUpDocument ? 0 : 1);
      if (which == Path::kCloseYes) Screenshot(main.get(), QStringLiteral("save-on-full-disk"));
      main.reset();
    }
  }
}

// Another program changes the file of an open document: the window asks whether to load
// it; its own saves ask nothing.
TEST_F(DocumentsTest, AFileChangedByAnotherProgramIsAskedAbout) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("p.bas"), "a\r\n");
  FrmDoc* doc = Open(path);
  WriteWorkFile(QStringLiteral("p.bas"), "theirs\r\n");
  services.answers = {Answer::kYes};
  ASSERT_TRUE(QTest::qWaitFor([&] { return !services.questions.empty(); }, 5000));
  EXPECT_EQ(services.questions[0].second,
            QStringLiteral("The file ") + path +
                QStringLiteral(" has been changed by another program.\r\rDo you wish to load it?"));
  EXPECT_EQ(doc->Bytes(), QByteArray("theirs\r\n"));
  EXPECT_FALSE(doc->Changed());

  doc->rt()->append(QStringLiteral("mine"));
  main->mnuFileSave_Click();
  QTest::qWait(400);
  EXPECT_EQ(services.questions.size(), 1u);

  // No: the editor keeps its text, which is no longer what the file holds.
  doc->rt()->append(QStringLiteral("!"));
  WriteWorkFile(QStringLiteral("p.bas"), "again\r\n");
  services.answers = {Answer::kNo};
  ASSERT_TRUE(QTest::qWaitFor([&] { return services.questions.size() == 2; }, 5000));
  EXPECT_TRUE(services.questions[1].second.endsWith(QStringLiteral(" Your changes in the editor will be lost.")));
  EXPECT_EQ(doc->Bytes(), QByteArray("theirs\r\nmine!"));
  EXPECT_TRUE(doc->Changed());
  EXPECT_EQ(ReadWorkFile(path), QByteArray("again\r\n"));
}

// A Save that would write over another program's change asks first (it overwrote it
// without a word).
TEST_F(DocumentsTest, SaveAsksBeforeWritingOverAnotherProgramsChange) {
  Start();
  const QString path = WriteWorkFile(QStringLiteral("p.bas"), "a\r\n");
  FrmDoc* doc = Open(path);
  doc->rt()->append(QStringLiteral("mine"));
  WriteWorkFile(QStringLiteral("p.bas"), "theirs\r\n");
  services.answers = {Answer::kNo};
  main->mnuFileSave_Click();
  ASSERT_EQ(services.questions.size(), 1u);
  EXPECT_EQ(services.questions[0].second,
            QStringLiteral("The file ") + path +
                QStringLiteral(" has been changed by another program since it was opened or saved.\r\r"
                               "Do you wish to overwrite it with the text in the editor?"));
  EXPECT_EQ(ReadWorkFile(path), QByteArray("theirs\r\n"));
  EXPECT_TRUE(doc->Changed());
  services.answers = {Answer::kYes};
  main->mnuFileSave_Click();
  EXPECT_EQ(ReadWorkFile(path), QByteArray("a\r\nmine"));
  EXPECT_FALSE(doc->Changed());
}

// A read-only document (its permissions say so, its folder lets a new file take its place)
// is replaced only when the user says so: every save asks first (it was replaced without a
// word), and No keeps the file and the window's changes.
TEST_F(DocumentsTest, EverySaveAsksBeforeItReplacesAReadOnlyFile) {
  enum class Path { kSave, kSaveAs, kCloseYes };
  const std::pair<Path, const char*> paths[] = {
      {Path::kSave, "Save"}, {Path::kSaveAs, "Save As"}, {Path::kCloseYes, "the close question's Yes"}};
  for (const auto& entry : paths) {
    // A named copy, not a structured binding: the lambda below captures it.
    const Path which = entry.first;
    SCOPED_TRACE(entry.second);
    Start();
    const QString path = WriteWorkFile(QStringLiteral("p.bas"), "a\r\n");
    const QString other = WriteWorkFile(QStringLiteral("other.bas"), "theirs\r\n");
    FrmDoc* doc = Open(path);
    doc->rt()->append(QStringLiteral("b\r\n"));
    const QString target = which == Path::kSaveAs ? other : path;
    QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray before = ReadWorkFile(target);
    services.questions.clear();
    auto save = [&] {
      switch (which) {
        case Path::kSave:
          main->mnuFileSave_Click();
          break;
        case Path::kSaveAs:
          services.fileNames = {other};
          main->Documents().SaveAs();
          break;
        case Path::kCloseYes:
          services.answers.push_front(Answer::kYes);
          doc->close();
          break;
      }
    };
    services.answers = {Answer::kNo};
    save();
    ASSERT_EQ(services.questions.size(), which == Path::kCloseYes ? 2u : 1u);
    EXPECT_EQ(services.questions.back().first, QStringLiteral("Message to user:"));
    EXPECT_EQ(services.questions.back().second,
              QStringLiteral("The file ") + target +
                  QStringLiteral(" is read-only.\r\rDo you wish to replace it with the text in the editor?"));
    EXPECT_EQ(ReadWorkFile(target), before);
    EXPECT_TRUE(doc->Changed());
    EXPECT_EQ(main->Area()->subWindowList().size(), 2);
    if (which == Path::kCloseYes) Screenshot(main.get(), QStringLiteral("save-read-only"));

    services.answers = {Answer::kYes};
    save();
    EXPECT_EQ(ReadWorkFile(target), QByteArray("a\r\nb\r\n"));
    // Replaced as asked, the file keeps its permissions.
    EXPECT_EQ(QFile::permissions(target) & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    main.reset();
  }
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
