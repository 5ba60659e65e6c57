#pragma once
// A main window over scripted desktop services, a private settings store and a private
// installation folder (its inc/ holds links to the built device files and AvrAsm32).
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ide/app/services/desktop_services.h"
#include "ide/core/editor_look.h"
#include "ide/app/windows/frm_main.h"

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace qbc::test {

class ScriptedServices : public DesktopServices {
 public:
  // Answers, taken in order; an empty queue answers "" / Cancel / nothing.
  std::deque<QString> fileNames;
  std::deque<Answer> answers;
  std::deque<QString> inputs;  // a null QString() answers Cancel
  bool startSucceeds = true;

  struct Dialog {
    QString kind;  // "open", "save"
    QString title;
    QString initialName;
    QString filter;
  };
  struct Start {
    QString program;
    QStringList arguments;
  };
  std::vector<Dialog> dialogs;
  std::vector<std::pair<QString, QString>> questions;  // title, text
  std::vector<QString> informations;
  std::vector<std::pair<QString, QString>> messages;  // title, text
  std::vector<std::pair<QString, QString>> prompts;   // prompt, default
  std::vector<Start> starts;
  std::vector<QString> viewed;
  int prints = 0;
  int pageSetups = 0;
  int lookDialogs = 0;
  std::optional<EditorLook> acceptedLook;  // the properties dialog's answer; none: Cancel
  // Runs once, while the next file dialog or question is open, standing for the modal
  // dialog's own event loop (it may run one).
  std::function<void()> duringDialog;

  QString OpenFileName(QWidget*, const QString& title, const QString& filter) override;
  QString SaveFileName(QWidget*, const QString& title, const QString& initialName, const QString& filter) override;
  Answer Question(QWidget*, const QString& title, const QString& text) override;
  void Information(QWidget*, const QString& text) override { informations.push_back(text); }
  void Message(QWidget*, const QString& title, const QString& text) override { messages.emplace_back(title, text); }
  std::optional<QString> InputText(QWidget*, const QString& prompt, const QString& defaultText) override;
  bool StartDetached(const QString& program, const QStringList& arguments) override;
  bool OpenWithViewer(const QString& path) override;
  void Print(QWidget*, QsciScintilla*) override { ++prints; }
  void PageSetup(QWidget*) override { ++pageSetups; }
  bool EditLook(QWidget*, EditorLook& look) override;

 private:
  QString NextFileName();
  void DialogOpen();
};

class EnvTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the main window and runs its start-up.
  FrmMain& Start();
  // Makes `dir` the installation folder of the next Start().
  void UseInstallDir(const QString& dir);
  // Writes a file in the test's work folder and returns its path.
  QString WriteWorkFile(const QString& name, const QByteArray& bytes);
  QByteArray ReadWorkFile(const QString& path);
  // Saves a picture of `widget` under the build folder's screenshots/.
  void Screenshot(QWidget* widget, const QString& name);
  QString Setting(const char* group, const char* key);
  void SetSetting(const char* group, const char* key, const QString& value);

  ScriptedServices services;
  QString installDir;
  QString workDir;
  QString previousDir;
  std::unique_ptr<FrmMain> main;
};

}  // namespace qbc::test
