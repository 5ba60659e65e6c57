#pragma once
// The Edit and Options menus: each acts on the editor of the active document window and
// does nothing when none is open. Entries that change the text mark that document as
// changed.
#include <QString>

class QWidget;

namespace qbc {

class DesktopServices;
class DocumentManager;

class EditCommands {
 public:
  EditCommands(DocumentManager& documents, DesktopServices& services, QWidget* parent);

  void Undo();
  void Redo();
  void Cut();
  void Copy();
  void Paste();
  void Delete();
  void Find();
  void FindNext();
  void Replace();
  void GoTo();
  void Indent();
  void UnIndent();
  void CommentBlock();
  void UnCommentBlock();
  void SelectAll();
  // The editor's properties dialog; an accepted look is applied to every open window.
  void Properties();

 private:
  DocumentManager& documents_;
  DesktopServices& services_;
  QWidget* parent_;
  QString lastFind_;
};

}  // namespace qbc
