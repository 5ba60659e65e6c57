#pragma once
// Everything the environment asks of the desktop: file dialogs, message and input boxes,
// starting programs, opening a file in its viewer, printing and the editor's properties
// dialog. The windows only talk to this interface, so tests script the answers and no
// modal dialog ever shows.
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;
class QsciScintilla;

namespace qbc {

struct EditorLook;

class DesktopServices {
 public:
  enum class Answer { kYes, kNo, kCancel };

  virtual ~DesktopServices() = default;

  // File dialogs; `filter` is written "Description (*.x)|*.x|..."; "" when cancelled.
  // The Open dialog accepts only a file that exists; the Save dialog asks before it
  // overwrites one.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
  virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& initialName,
                               const QString& filter) = 0;

  // Yes/No/Cancel with the exclamation icon.
  virtual Answer Question(QWidget* parent, const QString& title, const QString& text) = 0;
  // An OK box with the information icon.
  virtual void Information(QWidget* parent, const QString& text) = 0;
  // An OK box without an icon.
  virtual void Message(QWidget* parent, const QString& title, const QString& text) = 0;
  // An input box; nothing when cancelled.
  virtual std::optional<QString> InputText(QWidget* parent, const QString& prompt, const QString& defaultText) = 0;

  // Starts a program without waiting for it; false when it could not be started.
  virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
  // Opens a file with the desktop's viewer for its kind; false on failure.
  virtual bool OpenWithViewer(const QString& path) = 0;

  // Prints the editor's text (after the print dialog), or only shows the page set-up.
  virtual void Print(QWidget* parent, QsciScintilla* editor) = 0;
  virtual void PageSetup(QWidget* parent) = 0;

  // The editor's properties dialog: colours, font styles, selection setting. True when
  // the user accepted the changed look.
  virtual bool EditLook(QWidget* parent, EditorLook& look) = 0;
};

}  // namespace qbc
