#include "ide/app/commands/edit_commands.h"

#include <Qsci/qsciscintilla.h>

#include <QMdiArea>
#include <functional>

#include "ide/app/commands/document_manager.h"
#include "ide/app/services/desktop_services.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/core/block_comment.h"

namespace qbc {

namespace {

// Runs `change` on every line the selection touches (the caret's line without one); a
// selection that ends at the start of a line does not take that line.
void EachSelectedLine(QsciScintilla* rt, const std::function<void(int)>& change) {
  int fromLine = 0;
  int fromIndex = 0;
  int toLine = 0;
  int toIndex = 0;
  rt->getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
  if (fromLine < 0) {
    rt->getCursorPosition(&fromLine, &fromIndex);
    toLine = fromLine;
  } else if (toIndex == 0 && toLine > fromLine) {
    --toLine;
  }
  rt->beginUndoAction();
  for (int line = fromLine; line <= toLine; ++line) change(line);
  rt->endUndoAction();
}

}  // namespace

EditCommands::EditCommands(DocumentManager& documents, DesktopServices& services, QWidget* parent)
    : documents_(documents), services_(services), parent_(parent) {}

void EditCommands::Undo() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  doc->rt()->undo();
}

void EditCommands::Redo() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  doc->rt()->redo();
}

void EditCommands::Cut() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  doc->rt()->cut();
  doc->SetChanged(true);
}

void EditCommands::Copy() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  doc->rt()->copy();
}

void EditCommands::Paste() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  doc->rt()->paste();
  doc->SetChanged(true);
}

void EditCommands::Delete() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  doc->rt()->removeSelectedText();
  doc->SetChanged(true);
}

void EditCommands::Find() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  auto what = services_.InputText(parent_, QStringLiteral("Find what:"), lastFind_);
  if (!what || what->isEmpty()) return;
  lastFind_ = *what;
  doc->rt()->findFirst(lastFind_, false, false, false, true);
}

void EditCommands::FindNext() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  if (lastFind_.isEmpty()) {
    Find();
    return;
  }
  doc->rt()->findFirst(lastFind_, false, false, false, true);
}

void EditCommands::Replace() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  auto what = services_.InputText(parent_, QStringLiteral("Find what:"), lastFind_);
  if (!what || what->isEmpty()) return;
  auto with = services_.InputText(parent_, QStringLiteral("Replace with:"), QString());
  if (!with) return;
  lastFind_ = *what;
  QsciScintilla* rt = doc->rt();
  rt->beginUndoAction();
  bool found = rt->findFirst(lastFind_, false, false, false, false, true, 0, 0);
  while (found) {
    rt->replace(*with);
    found = rt->findNext();
  }
  rt->endUndoAction();
  doc->SetChanged(true);
}

void EditCommands::GoTo() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  int line = 0;
  int index = 0;
  doc->rt()->getCursorPosition(&line, &index);
  auto answer = services_.InputText(parent_, QStringLiteral("Go to line:"), QString::number(line + 1));
  if (!answer) return;
  bool ok = false;
  const int target = answer->trimmed().toInt(&ok);
  if (!ok || target < 1) return;
  doc->rt()->setCursorPosition(std::min(target, doc->rt()->lines()) - 1, 0);
  doc->rt()->ensureCursorVisible();
}

void EditCommands::Indent() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  QsciScintilla* rt = doc->rt();
  EachSelectedLine(rt, [rt](int line) { rt->indent(line); });
  doc->SetChanged(true);
}

void EditCommands::UnIndent() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  QsciScintilla* rt = doc->rt();
  EachSelectedLine(rt, [rt](int line) { rt->unindent(line); });
  doc->SetChanged(true);
}

void EditCommands::CommentBlock() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  const std::string selection = doc->rt()->selectedText().toLatin1().toStdString();
  doc->rt()->replaceSelectedText(QString::fromLatin1(QByteArray::fromStdString(qbc::CommentBlock(selection))));
  doc->SetChanged(true);
}

void EditCommands::UnCommentBlock() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  const std::string selection = doc->rt()->selectedText().toLatin1().toStdString();
  doc->rt()->replaceSelectedText(QString::fromLatin1(QByteArray::fromStdString(qbc::UnCommentBlock(selection))));
  doc->SetChanged(true);
}

void EditCommands::SelectAll() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  doc->rt()->selectAll();
}

void EditCommands::Properties() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (!doc) return;
  EditorLook look = doc->Look();
  if (!services_.EditLook(parent_, look)) return;
  for (QMdiSubWindow* w : documents_.Area()->subWindowList())
    if (auto* d = qobject_cast<FrmDoc*>(w)) d->ApplyLook(look);
}

}  // namespace qbc
