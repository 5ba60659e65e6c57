#include "ide/app/commands/document_manager.h"

#include <Qsci/qsciscintilla.h>

#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QPointer>
#include <QTimer>

#include "ide/app/editor/editor_look_store.h"
#include "ide/app/services/desktop_services.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/core/disk_stamp.h"
#include "ide/core/document_caption.h"
#include "ide/core/editor_texts.h"
#include "ide/core/new_file_template.h"

namespace qbc {

DocumentManager::DocumentManager(QMdiArea* area, DesktopServices& services, DocumentEvents events, QObject* parent)
    : QObject(parent), area_(area), services_(services), events_(std::move(events)) {
  connect(area_, &QMdiArea::subWindowActivated, this, &DocumentManager::Activated);
  // Another program's write comes in pieces: the file is looked at once it has settled.
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    QTimer::singleShot(100, this, [this, path] { DiskFileChanged(path); });
  });
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
  if (!OpenPath(path, &error)) {
    // Nothing opens: no empty window under the file's name, which a Save would write over
    // the file, and no recent entry.
    services_.Information(area_->window(), QStringLiteral("Cannot open ") + path + QStringLiteral(": ") + error);
    return;
  }
  if (events_.showFileStatus) events_.showFileStatus(QStringLiteral("Source: ") + QFileInfo(path).fileName());
  if (events_.clearReport) events_.clearReport();
  if (events_.addRecent) events_.addRecent(path);
}

FrmDoc* DocumentManager::OpenPath(const QString& path, QString* error, bool emptyOnFailure) {
  // The stamp before the text: a change made while it is read shows as another stamp.
  DiskStamp stamp = StampOf(QFile::encodeName(path).toStdString());
  QByteArray bytes;
  if (!FrmDoc::ReadFile(path, bytes, error)) {
    if (!emptyOnFailure) return nullptr;
    // Nothing of the file is known: a Save asks before it writes over a file of that name.
    stamp = DiskStamp{};
  }
  FrmDoc* doc = NewBasDoc();
  doc->SetBytes(bytes);
  doc->SetPath(path);
  doc->NoteDiskFile(stamp, bytes);
  WatchOpenFiles();
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
  } else if (!MayOverwrite(doc, path)) {
    return false;
  }
  if (!Write(doc, path)) return false;
  doc->SetPath(path);
  WatchOpenFiles();
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
  if (!Write(doc, path)) return;
  doc->SetChanged(false);
  if (events_.addRecent) events_.addRecent(path);
  doc->SetPath(path);
  WatchOpenFiles();
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

bool DocumentManager::Write(FrmDoc* doc, const QString& path) {
  // A save puts a new file in the old one's place, which the folder allows whatever the
  // file's own permissions say: a read-only file is replaced only when the user says so.
  if (IsReadOnlyFile(QFile::encodeName(path).toStdString())) {
    const QString text = QString::fromStdString(ReadOnlyQuestionText(path.toStdString()));
    if (services_.Question(area_->window(), QString::fromLatin1(kCloseQuestionTitle), text) !=
        DesktopServices::Answer::kYes)
      return false;
  }
  const QByteArray bytes = doc->Bytes();
  QString error;
  if (!FrmDoc::WriteFile(path, bytes, &error)) {
    // The file is as it was and the document keeps its changes.
    services_.Information(area_->window(), QStringLiteral("Cannot save ") + path + QStringLiteral(": ") + error);
    return false;
  }
  doc->NoteDiskFile(StampOf(QFile::encodeName(path).toStdString()), bytes);
  return true;
}

bool DocumentManager::MayOverwrite(FrmDoc* doc, const QString& path) {
  const DiskStamp now = StampOf(QFile::encodeName(path).toStdString());
  if (!now.exists || now == doc->DiskFile()) return true;
  QByteArray bytes;
  if (FrmDoc::ReadFile(path, bytes) && doc->DiskFile().exists && doc->SameAsDiskText(bytes)) return true;
  const QString text = QString::fromStdString(OverwriteQuestionText(path.toStdString()));
  return services_.Question(area_->window(), QString::fromLatin1(kCloseQuestionTitle), text) ==
         DesktopServices::Answer::kYes;
}

void DocumentManager::WatchOpenFiles() {
  const QStringList watched = watcher_.files();
  if (!watched.isEmpty()) watcher_.removePaths(watched);
  QStringList paths;
  for (QMdiSubWindow* w : area_->subWindowList()) {
    auto* doc = qobject_cast<FrmDoc*>(w);
    if (doc && doc->DiskFile().exists && !paths.contains(doc->Path())) paths << doc->Path();
  }
  if (!paths.isEmpty()) watcher_.addPaths(paths);
}

void DocumentManager::DiskFileChanged(const QString& path) {
  // A window may close while its question is open.
  QList<QPointer<FrmDoc>> docs;
  for (QMdiSubWindow* w : area_->subWindowList()) {
    auto* doc = qobject_cast<FrmDoc*>(w);
    if (doc && doc->Path() == path) docs << doc;
  }
  for (const QPointer<FrmDoc>& doc : docs)
    if (doc) CheckDiskFile(doc);
  // A file replaced by another (a rename over it, as editors save) is watched again.
  WatchOpenFiles();
}

void DocumentManager::CheckDiskFile(FrmDoc* doc) {
  if (checking_) return;  // one question at a time
  const QString path = doc->Path();
  const DiskStamp now = StampOf(QFile::encodeName(path).toStdString());
  if (now == doc->DiskFile()) return;
  QByteArray bytes;
  if (!now.exists) {
    // The editor holds the only copy now: closing asks before it is lost.
    doc->NoteDiskFile(now, QByteArray());
    doc->SetChanged(true);
    return;
  }
  if (!FrmDoc::ReadFile(path, bytes)) return;
  if (doc->DiskFile().exists && doc->SameAsDiskText(bytes)) {
    doc->NoteDiskFile(now, bytes);  // touched, not changed
    return;
  }
  checking_ = true;
  const QPointer<FrmDoc> asked(doc);
  const QString text = QString::fromStdString(DiskChangedQuestionText(path.toStdString(), doc->Changed()));
  const bool load = services_.Question(area_->window(), QString::fromLatin1(kCloseQuestionTitle), text) ==
                    DesktopServices::Answer::kYes;
  checking_ = false;
  if (!asked) return;
  doc->NoteDiskFile(now, bytes);
  if (load) {
    doc->SetBytes(bytes);
    doc->SetChanged(false);
  } else {
    // The editor's text is not what the file holds: closing asks before it is lost.
    doc->SetChanged(true);
  }
}

void DocumentManager::Activated(QMdiSubWindow* window) {
  auto* doc = qobject_cast<FrmDoc*>(window);
  if (!doc) return;
  if (events_.showFileStatus) events_.showFileStatus(doc->windowTitle());
  currentFileName_ = QString::fromStdString(PathFromCaption(doc->windowTitle().toStdString()));
}

}  // namespace qbc
