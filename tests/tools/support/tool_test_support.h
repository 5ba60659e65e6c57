#pragma once
// Helpers of the tool window tests: answered dialogs, a private settings store,
// screenshots and bounded waits.
#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "tools/common/tool_dialogs.h"

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

// Acts on the visible top-level window of type T once the event loop runs: for modal
// windows, schedule this and then open the window.
template <typename T>
void ActWhenShown(std::function<void(T&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<T*>(w); window && window->isVisible()) act(*window);
    }
  });
}

// Processes events until `done` holds or `ms` milliseconds pass; returns `done()`.
bool WaitFor(const std::function<bool()>& done, int ms = 5000);

}  // namespace qbc::test
