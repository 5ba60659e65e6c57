#pragma once
// The serial terminal: one port, received text shown and optionally logged, typed keys
// sent, a text file sent in blocks, and the port's properties.
#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <memory>

#include "tools/terminal/ui/port_properties_target.h"

class QAction;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;

namespace qbc {

class FileSender;
class SerialComm;
class TerminalLog;
class TerminalScreen;
class ToolDialogs;
class frmCancelSend;

class frmTerminal : public QMainWindow, public PortPropertiesTarget {
  Q_OBJECT

 public:
  frmTerminal(std::unique_ptr<SerialComm> comm, ToolDialogs& dialogs, QWidget* parent = nullptr);
  ~frmTerminal() override;

  SerialComm& Comm() { return *comm_; }
  const TerminalScreen& Screen() const { return *screen_; }
  // How long closing waits for unsent output before it asks what to do.
  void SetDrainTimeout(int milliseconds) { drainTimeoutMs_ = milliseconds; }

  void mnuOpen_Click();
  void mnuOpenLog_Click();
  void mnuCloseLog_Click();
  void mnuSendText_Click();
  void mnuProperties_Click();

  PortSettings CurrentPortSettings() const override;
  QString ApplyPortSettings(const PortSettings& settings) override;
  void ToggleDtr() override;
  void ToggleRts() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWindow();
  void LoadSettings();
  // Opens or closes the port; every indicator then shows the port's real state.
  QString ChangePortOpen(bool open);
  void ShowPortState();
  void OnComm(int code);
  void DisplayReceivedData(const QByteArray& bytes);
  bool OnKey(const QKeyEvent& key);
  void SetLogActions(bool logOpen);
  void SetSendEnabled(bool enabled);
  void OnSendFinished(const QString& error);
  void CheckDrained();
  void FinishClosing();
  void Warn(const QString& text);

  std::unique_ptr<SerialComm> comm_;
  ToolDialogs& dialogs_;
  std::unique_ptr<TerminalLog> log_;
  std::unique_ptr<FileSender> sender_;
  std::unique_ptr<TerminalScreen> screen_;
  frmCancelSend* cancelSend_ = nullptr;

  QPlainTextEdit* txtTerm_ = nullptr;
  QAction* mnuOpenLog_ = nullptr;
  QAction* mnuCloseLog_ = nullptr;
  QAction* mnuSendText_ = nullptr;
  QAction* mnuOpen_ = nullptr;
  QAction* btnOpenLog_ = nullptr;
  QAction* btnCloseLog_ = nullptr;
  QAction* btnSendText_ = nullptr;
  QStackedWidget* frame1_ = nullptr;
  QLabel* imgConnected_ = nullptr;
  QLabel* imgNotConnected_ = nullptr;
  QLabel* panelStatus_ = nullptr;
  QLabel* panelSettings_ = nullptr;
  QLabel* panelCommTime_ = nullptr;

  QTimer timer1_;  // connection clock
  QTimer timer2_;  // clears an event message
  QDateTime connectStart_;
  bool centred_ = false;

  // Closing waits for unsent output without a nested loop: the close is refused, the
  // drain is polled, and the window closes itself once it may.
  QTimer drainPoll_;
  QDateTime drainDeadline_;
  int drainTimeoutMs_ = 10000;
  bool closing_ = false;
  bool mayClose_ = false;
};

}  // namespace qbc
