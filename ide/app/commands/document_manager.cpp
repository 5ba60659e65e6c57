#include "ide/app/commands/document_manager.h"

#include <Qsci/qsciscintilla.h>

#include <QFileInfo>
#include <QMdiArea>

#include "ide/app/editor/editor_look_store.h"
#include "ide/app/services/desktop_services.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/core/document_caption.h"
#include "ide/core/editor_texts.h"
#include "ide/core/new_file_template.h"

namespace qbc {

DocumentManager::DocumentManager(QMdiArea* area, DesktopServices& services, DocumentEvents events, QObject* parent)
    : QObject(parent), area_(area), services_(services), events_(std::move(events)) {
  connect(area_, &QMdiArea::subWindowActivated, this, &DocumentManager::Activated);
}

FrmDoc* DocumentManager::NewBasDoc() {
  ++newDocCounter_;
  ++editorCommandId_;
  auto* doc = new FrmDoc(ReadEditorLook(), editorCommandId_);
  doc->setWindowTitle(QString::fromStdString(CaptionFor(UntitledName(newDocCounter_))));
  doc->SetCloseGuard([this](FrmDoc* d) { return AskBeforeClose(d); });
  connect(doc, &FrmDoc::caretMoved, this, [this](int line, int column) {
    if (events_.showCaret) events_.showCaret(line, column);
  });
  area_->addSubWindow(doc);
  const QSize inner = area_->viewport()->size();
  doc->resize(inner.width() / 2, inner.height());
  doc->show();
  area_->setActiveSubWindow(doc);
  return doc;
}

FrmDoc* DocumentManager::FileNew() {
  FrmDoc* doc = NewBasDoc();
  doc->SetBytes(QByteArray::fromStdString(NewFileTemplate()));
  return doc;
}

void DocumentManager::OpenFile(const QString& filter) {
  const QString path = services_.OpenFileName(area_->window(), QStringLiteral("Open Basic source File"), filter);
  if (path.isEmpty()) return;
  QString error;
  OpenPath(path, &error);
  if (!error.isEmpty())
    services_.Information(area_->window(), QStringLiteral("Cannot open ") + path + QStringLiteral(": ") + error);
  if (events_.showFileStatus) events_.showFileStatus(QStringLiteral("Source: ") + QFileInfo(path).fileName());
  if (events_.clearReport) events_.clearReport();
  if (events_.addRecent) events_.addRecent(path);
}

FrmDoc* DocumentManager::OpenPath(const QString& path, QString* error) {
  FrmDoc* doc = NewBasDoc();
  doc->LoadFile(path, error);
  doc->SetPath(path);
  // The caption changed after the window became active.
  Activated(doc);
  return doc;
}

bool DocumentManager::Save(FrmDoc* doc) {
  if (!doc) return false;
  QString path = doc->Path();
  if (IsUntitled(path.toStdString())) {
    path = services_.SaveFileName(area_->window(), QStringLiteral("Save File"), doc->windowTitle(),
                                  QString::fromLatin1(kBasicFilter));
    if (path.isEmpty()) return false;
    if (events_.showFileStatus) events_.showFileStatus(QStringLiteral("Document: ") + path);
  }
  QString error;
  if (!doc->SaveFile(path, &error)) {
    services_.Information(area_->window(), QStringLiteral("Cannot save ") + path + QStringLiteral(": ") + error);
    return false;
  }
  doc->SetPath(path);
  currentFileName_ = path;
  doc->SetChanged(false);
  doc->rt()->setFocus();
  return true;
}

void DocumentManager::SaveActive() { Save(ActiveDoc()); }

void DocumentManager::SaveAs() {
  FrmDoc* doc = ActiveDoc();
  if (!doc) return;
  const QString path =
      services_.SaveFileName(area_->window(), QStringLiteral("Save As"), QString(), QString::fromLatin1(kSaveAsFilter));
  if (path.isEmpty()) return;
  QString error;
  if (!doc->SaveFile(path, &error)) {
    services_.Information(area_->window(), QStringLiteral("Cannot save ") + path + QStringLiteral(": ") + error);
    return;
  }
  doc->SetChanged(false);
  if (events_.addRecent) events_.addRecent(path);
  doc->SetPath(path);
  if (events_.showFileStatus) events_.showFileStatus(doc->windowTitle());
}

FrmDoc* DocumentManager::ActiveDoc() const { return qobject_cast<FrmDoc*>(area_->activeSubWindow()); }

void DocumentManager::EditorCommand(FrmDoc* doc, int commandId) {
  if (doc && commandId == editorCommandId_) doc->rt()->redo();
}

bool DocumentManager::AskBeforeClose(FrmDoc* doc) {
  if (!doc->Changed()) return true;
  const QString text = QString::fromStdString(CloseQuestionText(doc->windowTitle().toStdString()));
  switch (services_.Question(area_->window(), QString::fromLatin1(kCloseQuestionTitle), text)) {
    case DesktopServices::Answer::kYes:
      // The closing document is saved; when that does not happen it stays open.
      return Save(doc);
    case DesktopServices::Answer::kNo:
      return true;
    case DesktopServices::Answer::kCancel:
      return false;
  }
  return false;
}

void DocumentManager::Activated(QMdiSubWindow* window) {
  auto* doc = qobject_cast<FrmDoc*>(window);
  if (!doc) return;
  if (events_.showFileStatus) events_.showFileStatus(doc->windowTitle());
  currentFileName_ = QString::fromStdString(PathFromCaption(doc->windowTitle().toStdString()));
}

}  // namespace qbc
