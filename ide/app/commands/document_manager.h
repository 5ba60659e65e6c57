#pragma once
// The document windows of the main window's work area: making them (untitled "BasDocN"),
// opening files into them, saving, and the question before a changed one closes. Each
// document keeps its own changed flag.
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace qbc {

class DesktopServices;
class FrmDoc;

// What the documents tell the main window.
struct DocumentEvents {
  std::function<void(const QString&)> showFileStatus;  // the status label `File`
  std::function<void()> clearReport;                   // the report box
  std::function<void(const QString&)> addRecent;       // the recent-files list
  std::function<void(int, int)> showCaret;             // line and column, from 1
};

inline constexpr const char* kBasicFilter = "Basic Files (*.bas)|*.bas|All Files (*.*)|*.*";
inline constexpr const char* kAssemblerFilter = "Assembler Files (*.asm)|*.asm|All Files (*.*)|*.*";
inline constexpr const char* kSaveAsFilter =
    "Basic Files (*.bas)|*.bas|Asm Files (*.asm)|*.asm|List Files (*.lst)|*.lst|All Files (*.*)|*.*";

class DocumentManager : public QObject {
  Q_OBJECT
 public:
  DocumentManager(QMdiArea* area, DesktopServices& services, DocumentEvents events, QObject* parent = nullptr);

  // A new, empty, untitled window, shown and active.
  FrmDoc* NewBasDoc();
  // A new window with the new-file template.
  FrmDoc* FileNew();
  // The Open dialog with `filter`; the chosen file in a new window.
  void OpenFile(const QString& filter);
  // A new window holding the file at `path` (start-up, recent files). A file that cannot
  // be read opens no window (nullptr, and `error` says why), or with `emptyOnFailure` an
  // empty window under its path, as a recent entry whose file is gone opens.
  FrmDoc* OpenPath(const QString& path, QString* error = nullptr, bool emptyOnFailure = false);
  // File Save of one document; false when it was not saved (dialog cancelled, a file that
  // another program changed or a read-only file that the user keeps, write failed: the
  // failure is shown). A write that fails leaves the file as it was.
  bool Save(FrmDoc* doc);
  void SaveActive();
  void SaveAs();

  FrmDoc* ActiveDoc() const;
  QMdiArea* Area() const { return area_; }
  // The path of the document that was active last (written at shut-down).
  const QString& CurrentFileName() const { return currentFileName_; }
  void SetCurrentFileName(const QString& path) { currentFileName_ = path; }
  // The number of the environment's own editor command: 1000 at start, one more for each
  // editor window.
  int EditorCommandId() const { return editorCommandId_; }
  // The editor command event of a window: only the current number runs the command.
  void EditorCommand(FrmDoc* doc, int commandId);

 private:
  bool AskBeforeClose(FrmDoc* doc);
  void Activated(QMdiSubWindow* window);
  // Writes the document's text to `path` whole, or shows why it could not; a read-only
  // file only when the user agrees.
  bool Write(FrmDoc* doc, const QString& path);
  // Asks before a save writes over a file another program changed.
  bool MayOverwrite(FrmDoc* doc, const QString& path);
  // The files of the open documents are watched: another program's change is asked about.
  void WatchOpenFiles();
  void DiskFileChanged(const QString& path);
  void CheckDiskFile(FrmDoc* doc);

  QMdiArea* area_;
  DesktopServices& services_;
  DocumentEvents events_;
  int newDocCounter_ = 0;
  int editorCommandId_ = 1000;
  QString currentFileName_;
  QFileSystemWatcher watcher_;
  bool checking_ = false;
};

}  // namespace qbc
