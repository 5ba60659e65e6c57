#include "tools/terminal/ui/frm_terminal.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "tools/common/tool_dialogs.h"
#include "tools/common/tool_globals.h"
#include "tools/common/tool_settings.h"
#include "tools/terminal/core/comm_events.h"
#include "tools/terminal/core/connect_clock.h"
#include "tools/terminal/ui/file_sender.h"
#include "tools/terminal/ui/frm_cancel_send.h"
#include "tools/terminal/ui/frm_properties.h"
#include "tools/terminal/ui/serial_comm.h"
#include "tools/terminal/ui/terminal_keys.h"
#include "tools/terminal/ui/terminal_log.h"
#include "tools/terminal/ui/terminal_screen.h"

namespace qbc {

namespace {

const QString kCaption = QStringLiteral("Quorvil Terminal");
const QString kLogCaption = QStringLiteral("Quorvil Basic for AVR terminal - ");
const QString kNoLogCaption = QStringLiteral("Quorvil terminal");
const QString kStatus = QStringLiteral("Status: ");
const QString kSettings = QStringLiteral("Settings: ");

// The port indicator: a lamp, lit while the port is open.
QLabel* Indicator(const char* name, const QColor& colour) {
  QPixmap lamp(18, 18);
  lamp.fill(Qt::transparent);
  QPainter painter(&lamp);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(colour);
  painter.setPen(Qt::darkGray);
  painter.drawEllipse(2, 2, 14, 14);
  auto* label = new QLabel;
  label->setObjectName(QLatin1String(name));
  label->setPixmap(lamp);
  label->setToolTip(QStringLiteral("Toggles Port"));
  return label;
}

QLabel* Panel(QStatusBar* bar, const char* name, const QString& text, const char* tip, int stretch) {
  auto* label = new QLabel(text);
  label->setObjectName(QLatin1String(name));
  label->setToolTip(QLatin1String(tip));
  bar->addWidget(label, stretch);
  return label;
}

}  // namespace

frmTerminal::frmTerminal(std::unique_ptr<SerialComm> comm, ToolDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      comm_(std::move(comm)),
      dialogs_(dialogs),
      log_(std::make_unique<TerminalLog>()),
      sender_(std::make_unique<FileSender>(*comm_)) {
  setObjectName(QStringLiteral("frmTerminal"));
  setWindowTitle(kCaption);
  setAttribute(Qt::WA_QuitOnClose, false);
  BuildWindow();
  connect(comm_.get(), &SerialComm::commEvent, this, &frmTerminal::OnComm);
  connect(sender_.get(), &FileSender::finished, this, &frmTerminal::OnSendFinished);
  connect(cancelSend_, &frmCancelSend::cancelled, sender_.get(), &FileSender::Cancel);
  timer1_.setInterval(1000);
  connect(&timer1_, &QTimer::timeout, this, [this] {
    panelCommTime_->setText(QString::fromStdString(
        ConnectTimeText(connectStart_.secsTo(QDateTime::currentDateTime()))));
  });
  timer2_.setInterval(2000);
  timer2_.setSingleShot(true);
  connect(&timer2_, &QTimer::timeout, this, [this] { panelStatus_->setText(kStatus); });
  drainPoll_.setInterval(20);
  connect(&drainPoll_, &QTimer::timeout, this, &frmTerminal::CheckDrained);
  ShowPortState();
  LoadSettings();
}

frmTerminal::~frmTerminal() {
  // The port may still report while it closes; the window is no longer there to listen.
  comm_->disconnect(this);
  sender_->disconnect(this);
}

void frmTerminal::BuildWindow() {
  auto* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  mnuOpenLog_ = mnuFile->addAction(QStringLiteral("&Open Log File..."), this, &frmTerminal::mnuOpenLog_Click);
  mnuOpenLog_->setObjectName(QStringLiteral("mnuOpenLog"));
  mnuCloseLog_ = mnuFile->addAction(QStringLiteral("&Close Log File"), this, &frmTerminal::mnuCloseLog_Click);
  mnuCloseLog_->setObjectName(QStringLiteral("mnuCloseLog"));
  mnuFile->addSeparator();
  mnuSendText_ = mnuFile->addAction(QStringLiteral("&Transmit Text File..."), this, &frmTerminal::mnuSendText_Click);
  mnuSendText_->setObjectName(QStringLiteral("mnuSendText"));
  mnuFile->addSeparator();
  mnuFile->addAction(QStringLiteral("E&xit"), this, &QWidget::close)->setObjectName(QStringLiteral("mnuFileExit"));

  auto* mnuPort = menuBar()->addMenu(QStringLiteral("&CommPort"));
  mnuPort->setObjectName(QStringLiteral("mnuPort"));
  mnuOpen_ = mnuPort->addAction(QStringLiteral("Port &Open"), this, &frmTerminal::mnuOpen_Click);
  mnuOpen_->setObjectName(QStringLiteral("mnuOpen"));
  mnuOpen_->setCheckable(true);
  mnuPort->addSeparator();
  mnuPort->addAction(QStringLiteral("Properties..."), this, &frmTerminal::mnuProperties_Click)
      ->setObjectName(QStringLiteral("mnuProperties"));

  auto* bar = addToolBar(QStringLiteral("Toolbar"));
  bar->setObjectName(QStringLiteral("tbrToolBar"));
  bar->setMovable(false);
  auto button = [&](const char* key, QStyle::StandardPixmap icon, const char* tip, void (frmTerminal::*slot)()) {
    QAction* a = bar->addAction(style()->standardIcon(icon), QLatin1String(tip), this, slot);
    a->setObjectName(QLatin1String(key));
    a->setToolTip(QLatin1String(tip));
    return a;
  };
  btnOpenLog_ = button("OpenLogFile", QStyle::SP_DialogOpenButton, "Open Log File...", &frmTerminal::mnuOpenLog_Click);
  btnCloseLog_ = button("CloseLogFile", QStyle::SP_DialogCloseButton, "Close Log File", &frmTerminal::mnuCloseLog_Click);
  button("Properties", QStyle::SP_FileDialogDetailedView, "Properties...", &frmTerminal::mnuProperties_Click);
  btnSendText_ = button("TransmitTextFile", QStyle::SP_ArrowForward, "Transmit Text File...", &frmTerminal::mnuSendText_Click);
  auto* spacer = new QWidget;
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  bar->addWidget(spacer);
  frame1_ = new QStackedWidget;
  frame1_->setObjectName(QStringLiteral("Frame1"));
  frame1_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  imgConnected_ = Indicator("imgConnected", QColor(0, 200, 0));
  imgNotConnected_ = Indicator("imgNotConnected", QColor(110, 110, 110));
  imgConnected_->installEventFilter(this);
  imgNotConnected_->installEventFilter(this);
  frame1_->addWidget(imgNotConnected_);
  frame1_->addWidget(imgConnected_);
  bar->addWidget(frame1_);

  txtTerm_ = new QPlainTextEdit;
  txtTerm_->setObjectName(QStringLiteral("txtTerm"));
  txtTerm_->setReadOnly(true);  // only the terminal writes: typed keys go to the port
  txtTerm_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  txtTerm_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtTerm_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtTerm_->setStyleSheet(QStringLiteral("QPlainTextEdit { background-color: rgb(0,0,0); color: rgb(0,255,0); }"));
  txtTerm_->installEventFilter(this);
  setCentralWidget(txtTerm_);
  screen_ = std::make_unique<TerminalScreen>(*txtTerm_);

  statusBar()->setObjectName(QStringLiteral("sbrStatus"));
  panelStatus_ = Panel(statusBar(), "Status", kStatus, "Communications Port Status", 1);
  panelSettings_ = Panel(statusBar(), "Settings", kSettings, "Communications Port Settings", 1);
  panelCommTime_ = Panel(statusBar(), "CommTime", QString(), "Connect Time", 0);

  cancelSend_ = new frmCancelSend(this);
  SetLogActions(false);
  resize(640, 420);
}

void frmTerminal::LoadSettings() {
  const QString settings = ReadProperty(kKeySettings);
  if (!settings.isEmpty()) {
    const QString error = comm_->SetSettings(settings);
    if (!error.isEmpty()) {
      Warn(error);
      return;
    }
  }
  bool ok = false;
  const int port = ReadProperty(kKeyCommPort).toInt(&ok);
  if (ok) comm_->SetCommPort(port);  // an unusable number keeps the design value
  const QString handshaking = ReadProperty(kKeyHandshaking);
  if (!handshaking.isEmpty()) {
    const int value = handshaking.toInt(&ok);
    const QString error = ok ? comm_->SetHandshaking(value) : QStringLiteral("Invalid property value");
    if (!error.isEmpty()) {
      Warn(error);
      return;
    }
  }
  const QString echo = ReadProperty(kKeyEcho);
  if (echo.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) Echo = true;
  if (echo.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) Echo = false;
}

void frmTerminal::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (centred_ || !screen()) return;
  centred_ = true;
  move(screen()->availableGeometry().center() - rect().center());
}

void frmTerminal::Warn(const QString& text) { dialogs_.Message(this, MsgStyle::Exclamation, text); }

void frmTerminal::mnuOpen_Click() {
  const QString error = ChangePortOpen(!comm_->PortOpen());
  if (!error.isEmpty()) Warn(error);
}

QString frmTerminal::ChangePortOpen(bool open) {
  const QString error = comm_->SetPortOpen(open);
  ShowPortState();
  return error;
}

void frmTerminal::ShowPortState() {
  const bool open = comm_->PortOpen();
  mnuOpen_->setChecked(open);
  SetSendEnabled(open && !sender_->Running());
  frame1_->setCurrentWidget(open ? imgConnected_ : imgNotConnected_);
  panelSettings_->setText(open ? kSettings + comm_->Settings() : kSettings);
  if (open && !timer1_.isActive()) {
    connectStart_ = QDateTime::currentDateTime();
    timer1_.start();
  } else if (!open) {
    timer1_.stop();
    panelCommTime_->clear();
  }
}

void frmTerminal::SetSendEnabled(bool enabled) {
  mnuSendText_->setEnabled(enabled);
  btnSendText_->setEnabled(enabled);
}

void frmTerminal::SetLogActions(bool logOpen) {
  mnuOpenLog_->setEnabled(!logOpen);
  btnOpenLog_->setEnabled(!logOpen);
  mnuCloseLog_->setEnabled(logOpen);
  btnCloseLog_->setEnabled(logOpen);
}

void frmTerminal::OnComm(int code) {
  if (!comm_->PortOpen()) return;
  if (code == comm_event::kReceive) {
    DisplayReceivedData(comm_->Input());
    return;
  }
  const std::string status = CommEventStatus(code);
  if (status.empty()) return;
  panelStatus_->setText(QString::fromStdString(status));
  timer2_.start();
}

void frmTerminal::DisplayReceivedData(const QByteArray& bytes) {
  const std::string shown = screen_->Receive(bytes);
  while (log_->IsOpen()) {
    const QString error = log_->Write(shown);
    if (error.isEmpty()) break;
    if (dialogs_.Message(this, MsgStyle::RetryCancelCritical, error) == MsgAnswer::Cancel) {
      mnuCloseLog_Click();
    }
  }
}

bool frmTerminal::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && (watched == imgConnected_ || watched == imgNotConnected_)) {
    mnuOpen_Click();
    return true;
  }
  if (watched == txtTerm_ && event->type() == QEvent::KeyPress) return OnKey(static_cast<QKeyEvent&>(*event));
  return QMainWindow::eventFilter(watched, event);
}

bool frmTerminal::OnKey(const QKeyEvent& key) {
  const QByteArray bytes = TerminalKeyBytes(key);
  if (bytes.isEmpty()) return false;  // caret keys and the like work on the text as usual
  if (comm_->PortOpen()) {
    const QString error = comm_->Output(bytes);
    if (!error.isEmpty()) Warn(error);
    if (!Echo) {
      // The board's echo shows the key.
      screen_->MoveCaretToEnd();
      return true;
    }
  }
  screen_->Typed(bytes);
  return true;
}

void frmTerminal::mnuOpenLog_Click() {
  QString path;
  bool replace = false;
  for (;;) {
    // A new log needs a name that does not exist yet, so the dialog must accept one.
    const auto chosen = dialogs_.OpenFileName(this, QStringLiteral("Open Comm Log File"),
                                              QStringLiteral("Log Files (*.log);;All Files (*)"), false);
    if (!chosen) return;
    path = *chosen;
    if (!QFileInfo::exists(path)) break;
    const MsgAnswer answer = dialogs_.Message(this, MsgStyle::YesNoCancelQuestion,
                                              QStringLiteral("Replace existing file - ") + path + QStringLiteral("?"));
    if (answer == MsgAnswer::Cancel) continue;
    replace = answer == MsgAnswer::Yes;
    break;
  }
  const QString error = log_->Open(path, replace);
  if (!error.isEmpty()) {
    Warn(error);
    return;
  }
  setWindowTitle(kLogCaption + log_->Title());
  SetLogActions(true);
}

void frmTerminal::mnuCloseLog_Click() {
  log_->Close();
  SetLogActions(false);
  setWindowTitle(kNoLogCaption);
}

void frmTerminal::mnuSendText_Click() {
  if (sender_->Running()) return;
  SetSendEnabled(false);
  QString path;
  for (;;) {
    const auto chosen = dialogs_.OpenFileName(this, QStringLiteral("Send Text File"),
                                              QStringLiteral("Text Files (*.txt);;All Files (*)"), true);
    if (!chosen) {
      ShowPortState();
      return;
    }
    path = *chosen;
    if (QFileInfo::exists(path)) break;
    Warn(path + QStringLiteral(" not found!"));
  }
  cancelSend_->SetPath(path);
  cancelSend_->show();
  cancelSend_->raise();
  QString error;
  if (!sender_->Start(path, &error)) OnSendFinished(error);
}

void frmTerminal::OnSendFinished(const QString& error) {
  if (!error.isEmpty()) Warn(error);
  cancelSend_->hide();
  ShowPortState();
}

void frmTerminal::mnuProperties_Click() {
  frmProperties properties(*this, dialogs_, this);
  properties.exec();
}

PortSettings frmTerminal::CurrentPortSettings() const {
  PortSettings current;
  current.commPort = comm_->CommPort();
  current.settings = comm_->Settings().toStdString();
  current.handshaking = comm_->Handshaking();
  current.echo = Echo;
  return current;
}

QString frmTerminal::ApplyPortSettings(const PortSettings& settings) {
  Echo = settings.echo;
  const int oldPort = comm_->CommPort();
  if (settings.commPort != oldPort) {
    // The port changes through the terminal's own close and open, so the menu, the
    // indicator, the settings panel and the clock show what really happened.
    const bool reopen = comm_->PortOpen();
    if (reopen) ChangePortOpen(false);
    QString error = comm_->SetCommPort(settings.commPort);
    if (error.isEmpty() && reopen) error = ChangePortOpen(true);
    if (!error.isEmpty()) {
      comm_->SetCommPort(oldPort);
      return error;
    }
  }
  QString error = comm_->SetSettings(QString::fromStdString(settings.settings));
  if (error.isEmpty()) error = comm_->SetHandshaking(settings.handshaking);
  ShowPortState();
  return error;
}

void frmTerminal::ToggleDtr() { comm_->ToggleDtr(); }
void frmTerminal::ToggleRts() { comm_->ToggleRts(); }

void frmTerminal::closeEvent(QCloseEvent* event) {
  if (sender_->Running()) sender_->Cancel();
  if (!mayClose_ && comm_->PortOpen() && comm_->OutBufferCount() != 0) {
    event->ignore();
    if (!closing_) {
      closing_ = true;
      drainDeadline_ = QDateTime::currentDateTime().addMSecs(drainTimeoutMs_);
      drainPoll_.start();
    }
    return;
  }
  mayClose_ = false;
  closing_ = false;
  drainPoll_.stop();
  FinishClosing();
  event->accept();
}

void frmTerminal::CheckDrained() {
  if (!comm_->PortOpen() || comm_->OutBufferCount() == 0) {
    drainPoll_.stop();
    mayClose_ = true;
    close();
    return;
  }
  if (QDateTime::currentDateTime() < drainDeadline_) return;
  drainPoll_.stop();
  switch (dialogs_.Message(this, MsgStyle::AbortRetryIgnore, QStringLiteral("Data cannot be sent"))) {
    case MsgAnswer::Abort:
      closing_ = false;  // the window stays, with its port and log
      return;
    case MsgAnswer::Retry:
      drainDeadline_ = QDateTime::currentDateTime().addMSecs(drainTimeoutMs_);
      drainPoll_.start();
      return;
    default:
      mayClose_ = true;
      close();
      return;
  }
}

void frmTerminal::FinishClosing() {
  ChangePortOpen(false);
  if (log_->IsOpen()) mnuCloseLog_Click();
}

}  // namespace qbc
