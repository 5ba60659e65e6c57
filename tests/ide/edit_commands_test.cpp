// The Edit menu on the active editor: block comments on LF and CR LF documents, indent,
// find and go to, and which entries mark the document as changed.
#include <Qsci/qsciscintilla.h>

#include <QAction>

#include "ide/app/commands/document_manager.h"
#include "ide/app/commands/edit_commands.h"
#include "ide/app/windows/frm_doc.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

class EditTest : public EnvTest {
 protected:
  FrmDoc* Doc(const QByteArray& text) {
    Start();
    FrmDoc* doc = main->Documents().NewBasDoc();
    doc->SetBytes(text);
    return doc;
  }
  void Trigger(const char* name) { main->findChild<QAction*>(QString::fromLatin1(name))->trigger(); }
};

TEST_F(EditTest, CommentAndUnCommentKeepEveryLineEnd) {
  for (const QByteArray& eol : {QByteArray("\n"), QByteArray("\r\n")}) {
    FrmDoc* doc = Doc("a = 1" + eol + "b = 2" + eol + "c = 3" + eol);
    // Two whole lines: the selection ends at the start of the third.
    doc->rt()->setSelection(0, 0, 2, 0);
    Trigger("mnuEditComBlock");
    EXPECT_EQ(doc->Bytes(), "'a = 1" + eol + "'b = 2" + eol + "c = 3" + eol);
    EXPECT_TRUE(doc->Changed());
    EXPECT_EQ(doc->rt()->lines(), 4);
    doc->rt()->setSelection(0, 0, 2, 0);
    Trigger("mnuEditUnComBlock");
    EXPECT_EQ(doc->Bytes(), "a = 1" + eol + "b = 2" + eol + "c = 3" + eol);
  }
}

TEST_F(EditTest, UnCommentLeavesLinesWithoutAnApostrophe) {
  FrmDoc* doc = Doc("'a\n b\nc\n");
  doc->rt()->selectAll();
  main->Edit().UnCommentBlock();
  EXPECT_EQ(doc->Bytes(), QByteArray("a\n b\nc\n"));
}

TEST_F(EditTest, CommentBlockOnPartOfALineAndOnNothing) {
  FrmDoc* doc = Doc("x = a + b\r\n");
  doc->rt()->setSelection(0, 4, 0, 9);
  main->Edit().CommentBlock();
  EXPECT_EQ(doc->Bytes(), QByteArray("x = 'a + b\r\n"));
  FrmDoc* other = main->Documents().NewBasDoc();
  other->SetBytes("y\r\n");
  main->Edit().CommentBlock();
  EXPECT_EQ(other->Bytes(), QByteArray("y\r\n"));
  EXPECT_TRUE(other->Changed());
}

TEST_F(EditTest, IndentAndUnIndentTheSelectedLines) {
  FrmDoc* doc = Doc("a\nb\nc\n");
  doc->rt()->setSelection(0, 0, 2, 0);
  Trigger("mnuEditIndent");
  EXPECT_EQ(doc->Bytes(), QByteArray("\ta\n\tb\nc\n"));
  doc->rt()->setSelection(0, 0, 2, 0);
  Trigger("mnuEditUnIndent");
  EXPECT_EQ(doc->Bytes(), QByteArray("a\nb\nc\n"));
}

TEST_F(EditTest, DeleteCutPasteUndoAndSelectAll) {
  FrmDoc* doc = Doc("one two\n");
  doc->rt()->setSelection(0, 3, 0, 7);
  Trigger("mnuEdit_Delete");
  EXPECT_EQ(doc->Bytes(), QByteArray("one\n"));
  EXPECT_TRUE(doc->Changed());
  Trigger("mnuEdit_UnDo");
  EXPECT_EQ(doc->Bytes(), QByteArray("one two\n"));
  Trigger("mnuEdit_All");
  EXPECT_EQ(doc->rt()->selectedText(), QStringLiteral("one two\n"));
  Trigger("mnuEdit_Cut");
  EXPECT_TRUE(doc->Bytes().isEmpty());
  Trigger("mnuEdit_Paste");
  Trigger("mnuEdit_Paste");
  EXPECT_EQ(doc->Bytes(), QByteArray("one two\none two\n"));
}

TEST_F(EditTest, FindReplaceAndGoTo) {
  FrmDoc* doc = Doc("a = 1\nb = a\nc = a\n");
  services.inputs = {QStringLiteral("a")};
  doc->rt()->setCursorPosition(0, 1);
  Trigger("mnuEdit_Find");
  int line = 0;
  int index = 0;
  doc->rt()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 1);
  Trigger("mnuEdit_Next");
  doc->rt()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 2);
  services.inputs = {QStringLiteral("a"), QStringLiteral("x")};
  Trigger("mnuEdit_Replace");
  EXPECT_EQ(doc->Bytes(), QByteArray("x = 1\nb = x\nc = x\n"));
  services.inputs = {QStringLiteral("2")};
  Trigger("mnuEdit_GoTo");
  doc->rt()->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(services.prompts.back().first, QStringLiteral("Go to line:"));
}

TEST_F(EditTest, EntriesDoNothingWithoutADocument) {
  Start();
  ASSERT_TRUE(main->Documents().ActiveDoc()->close());
  for (const char* name : {"mnuEdit_UnDo", "mnuEdit_Cut", "mnuEdit_Paste", "mnuEdit_Delete", "mnuEdit_Find",
                           "mnuEditIndent", "mnuEditComBlock", "mnuEditUnComBlock", "mnuEdit_All", "mnuOpt_Prop",
                           "mnuFileSave", "mnuFileSaveAs", "mnuFilePrint", "mnuTools_Run", "mnuTools_RunProg"})
    Trigger(name);
  EXPECT_TRUE(services.prompts.empty());
  EXPECT_EQ(services.prints, 0);
  EXPECT_TRUE(services.starts.empty());
}

}  // namespace
}  // namespace qbc::test
