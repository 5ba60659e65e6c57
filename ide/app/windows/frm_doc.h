#pragma once
// The editor window `frmDoc`: one source file in a QsciScintilla (`rt`) with our lexer.
// Its caption is "Open Document - " and its path; it keeps its own changed flag. Closing
// asks its owner first (the changed-text question) and writes the editor's look back to
// the settings store in every case.
#include <QMdiSubWindow>
#include <functional>

#include "ide/core/disk_stamp.h"
#include "ide/core/editor_look.h"

class QsciScintilla;

namespace qbc {

class QuorvilLexer;

class FrmDoc : public QMdiSubWindow {
  Q_OBJECT
 public:
  // `commandId`: the number of the environment's own editor command for this window.
  FrmDoc(const EditorLook& look, int commandId, QWidget* parent = nullptr);

  QsciScintilla* rt() const { return rt_; }
  QuorvilLexer* Lexer() const { return lexer_; }

  QString Path() const;
  void SetPath(const QString& path);

  bool Changed() const { return changed_; }
  void SetChanged(bool changed) { changed_ = changed; }

  // The text as bytes, exactly as they are saved and compiled (NUL bytes included).
  QByteArray Bytes() const;
  // Replaces the text without marking the document as changed (a loaded file, the
  // new-file template).
  void SetBytes(const QByteArray& bytes);
  // Every byte of a regular file; false with the system's reason otherwise (a folder, a
  // pipe or a device is refused without waiting on it).
  static bool ReadFile(const QString& path, QByteArray& bytes, QString* error = nullptr);
  // Writes the bytes whole or leaves the file as it was (false with the reason).
  static bool WriteFile(const QString& path, const QByteArray& bytes, QString* error);

  // The file as this window last read or wrote it: a change by another program shows as
  // another stamp and another text.
  void NoteDiskFile(const DiskStamp& stamp, const QByteArray& bytes);
  const DiskStamp& DiskFile() const { return diskStamp_; }
  bool SameAsDiskText(const QByteArray& bytes) const;

  const EditorLook& Look() const { return look_; }
  void ApplyLook(const EditorLook& look);

  int CommandId() const { return commandId_; }

  // Asked before the window closes; false keeps it open.
  void SetCloseGuard(std::function<bool(FrmDoc*)> guard) { closeGuard_ = std::move(guard); }

 signals:
  void caretMoved(int line, int column);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // The line-number margin: as wide as the last line's number.
  void FitNumberMargin();

  QsciScintilla* rt_;
  QuorvilLexer* lexer_;
  EditorLook look_;
  int commandId_;
  bool changed_ = false;
  bool loading_ = false;
  int numberDigits_ = 0;
  DiskStamp diskStamp_;
  std::size_t diskHash_ = 0;
  std::function<bool(FrmDoc*)> closeGuard_;
};

}  // namespace qbc
