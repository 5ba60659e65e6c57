#pragma once
// The editor window `frmDoc`: one source file in a QsciScintilla (`rt`) with our lexer.
// Its caption is "Open Document - " and its path; it keeps its own changed flag. Closing
// asks its owner first (the changed-text question) and writes the editor's look back to
// the settings store in every case.
#include <QMdiSubWindow>
#include <functional>

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

  // The text as bytes, exactly as they are saved and compiled.
  QByteArray Bytes() const;
  // Replaces the text without marking the document as changed (a loaded file, the
  // new-file template).
  void SetBytes(const QByteArray& bytes);
  bool LoadFile(const QString& path, QString* error = nullptr);
  bool SaveFile(const QString& path, QString* error);

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
  QsciScintilla* rt_;
  QuorvilLexer* lexer_;
  EditorLook look_;
  int commandId_;
  bool changed_ = false;
  bool loading_ = false;
  std::function<bool(FrmDoc*)> closeGuard_;
};

}  // namespace qbc
