#pragma once
// Helpers of the tool window tests: answered dialogs, a private settings store,
// screenshots and bounded waits.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "tools/common/tool_dialogs.h"

class QWidget;

namespace qbc::test {

// Dialogs answered from queues; every question asked is recorded.
class ScriptedDialogs : public ToolDialogs {
 public:
  MsgAnswer Message(QWidget* parent, MsgStyle style, const QString& text) override;
  std::optional<QString> OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                      bool mustExist) override;

  std::deque<MsgAnswer> answers;             // next message box answers (default Ok)
  std::deque<QString> files;  // next file dialog results; empty or none left = cancel
  std::vector<std::pair<MsgStyle, QString>> messages;
  std::vector<bool> fileMustExist;
};

// Points the "Tolk" settings store at a fresh temporary folder for the test's lifetime.
class TempSettings {
 public:
  TempSettings();
  QString Path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

// Writes `bytes` to the file `name` in `dir` and returns its path.
QString WriteFileIn(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);

// Saves the window as <build>/screenshots/<name>.png and returns the path.
QString SaveScreenshot(QWidget& window, const QString& name);

// Processes events until `done` holds or `ms` milliseconds pass; returns `done()`.
bool WaitFor(const std::function<bool()>& done, int ms = 5000);

}  // namespace qbc::test
