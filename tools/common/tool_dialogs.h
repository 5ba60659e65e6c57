#pragma once
// Message boxes and file dialogs of the tool windows, behind one interface so that tests
// answer them without a person.
#include <QString>
#include <optional>

class QWidget;

namespace qbc {

// Box styles by their classic numbers: icon plus buttons.
enum class MsgStyle {
  Plain = 0,                  // OK
  RetryCancelCritical = 21,   // critical icon, Retry and Cancel
  AbortRetryIgnore = 34,      // question icon, Abort, Retry and Ignore
  YesNoCancelQuestion = 35,   // question icon, Yes, No and Cancel
  Exclamation = 48,           // exclamation icon, OK
};

enum class MsgAnswer { Ok, Yes, No, Cancel, Abort, Retry, Ignore };

class ToolDialogs {
 public:
  virtual ~ToolDialogs() = default;
  virtual MsgAnswer Message(QWidget* parent, MsgStyle style, const QString& text) = 0;
  // A file name chosen in an Open dialog, or nothing when the dialog is cancelled. With
  // `mustExist` false a new name may be typed.
  virtual std::optional<QString> OpenFileName(QWidget* parent, const QString& title,
                                              const QString& filter, bool mustExist) = 0;
};

// The real dialogs.
ToolDialogs& QtToolDialogs();

}  // namespace qbc
