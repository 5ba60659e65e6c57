#pragma once
// The main window `frmMain`: the menus, the button bar, the document windows' work area,
// the report box `txRep` and the status labels `File` and `pos`. Its operations are short
// calls into the classes that own each concern.
#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QMdiArea;
class QTimer;

namespace qbc {

class BuildRunner;
class ButtonBar;
class DesktopServices;
class DocumentManager;
class EditCommands;
class FrmDoc;
class ProgrammerLauncher;
class RecentFilesMenu;
class ReportBox;
class ToolLauncher;

struct EnvironmentOptions {
  QString installDir;                 // the installation folder (tmp.tmp, inc/, help)
  DesktopServices* services = nullptr;  // dialogs, message boxes, program starts
  int waitMs = 1000;                  // the wait before the assembler output is read
  int lockWaitMs = 5000;              // the longest wait for a qbc build of the same folder
  std::function<void()> showAbout;    // Help > About: shows the splash window
};

class FrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit FrmMain(EnvironmentOptions options, QWidget* parent = nullptr);
  ~FrmMain() override;

  // Shows the window and opens the last document (or a new one from the template), then
  // the recent-files list.
  void Load();

  void mnuTools_Run_Click();
  void mnuFileSave_Click();
  void mnuFileExit_Click();
  void OpenFile(const QString& filter);
  void AddRecent(const QString& path);
  void LoadRecent();
  void DoLcd();
  void DoDebug();
  QString TestDebug();
  QString TestProg();
  void DoProg();

  DocumentManager& Documents() const { return *documents_; }
  EditCommands& Edit() const { return *edit_; }
  ToolLauncher& Tools() const { return *tools_; }
  ProgrammerLauncher& Programs() const { return *programs_; }
  BuildRunner& Build() const { return *build_; }
  ButtonBar& Buttons() const { return *buttons_; }
  ReportBox& Report() const { return *report_; }
  QMdiArea* Area() const { return area_; }
  // Runs the operation of button `index` and gives the editor the focus where it should.
  void ButtonPressed(int index);

 signals:
  // The window closed for good: the environment ends.
  void shutDown();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  // Timer1's wait before the assembler output is read: calls `then` at its tick.
  void WaitOneSecond(std::function<void()> then);

  EnvironmentOptions options_;
  QMdiArea* area_;
  ReportBox* report_;
  ButtonBar* buttons_;
  QLabel* fileLabel_;
  QLabel* posLabel_;
  QLabel* buildLabel_;  // says that a build runs
  QTimer* timer1_;
  std::unique_ptr<DocumentManager> documents_;
  std::unique_ptr<RecentFilesMenu> recent_;
  std::unique_ptr<BuildRunner> build_;
  std::unique_ptr<EditCommands> edit_;
  std::unique_ptr<ProgrammerLauncher> programs_;
  std::unique_ptr<ToolLauncher> tools_;
  std::array<std::function<void()>, 18> buttonOperations_;
  bool closeAfterBuild_ = false;
};

}  // namespace qbc
