// The terminal on a real serial device: a socat pseudo-terminal pair stands in for the
// board, and the port properties window changes and saves the port.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/tools/support/pty_pair.h"
#include "tests/tools/support/tool_test_support.h"
#include "tools/common/tool_globals.h"
#include "tools/common/tool_settings.h"
#include "tools/terminal/ui/frm_cancel_send.h"
#include "tools/terminal/ui/frm_properties.h"
#include "tools/terminal/ui/frm_terminal.h"
#include "tools/terminal/ui/serial_comm.h"
#include "tools/terminal/ui/terminal_screen.h"

namespace qbc {
namespace {

class TerminalOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ready()) << "socat did not make its pseudo-terminals";
    Echo = false;
    WriteProperty("Com2", pty.PortPath());
    WriteProperty("Com3", dir.path() + "/no-such-device");
    WriteProperty(kKeyCommPort, "2");
    term = std::make_unique<frmTerminal>(MakeQtSerialComm(), dialogs);
    term->show();
  }

  void OpenPort() {
    term->mnuOpen_Click();
    ASSERT_TRUE(term->Comm().PortOpen()) << (dialogs.messages.empty() ? "" : dialogs.messages.back().second.toStdString());
  }
  QAction* Action(const char* name) { return term->findChild<QAction*>(name); }
  QString Panel(const char* name) { return term->findChild<QLabel*>(name)->text(); }
  QString Indicator() { return term->findChild<QStackedWidget*>("Frame1")->currentWidget()->objectName(); }
  QString WriteFile(const QString& name, const QByteArray& bytes) { return test::WriteFileIn(dir, name, bytes); }
  // Runs the properties window as the terminal shows it, acting on it once it is up.
  void WithProperties(std::function<void(frmProperties&)> act) {
    test::ActWhenShown<frmProperties>(std::move(act));
    term->mnuProperties_Click();
  }

  test::TempSettings settings;
  QTemporaryDir dir;
  test::PtyPair pty;
  test::ScriptedDialogs dialogs;
  std::unique_ptr<frmTerminal> term;
};

TEST_F(TerminalOnPty, PeerBytesAppearAndLandInTheLogExactly) {
  OpenPort();
  EXPECT_TRUE(Action("mnuOpen")->isChecked());
  EXPECT_EQ(Panel("Settings"), "Settings: 9600,n,8,1");
  EXPECT_EQ(Indicator(), "imgConnected");
  const QString logPath = dir.path() + "/session.log";
  dialogs.files = {logPath};
  term->mnuOpenLog_Click();

  pty.PeerWrite("hi\r");
  EXPECT_TRUE(test::WaitFor([&] { return term->Screen().Text() == "hi\r\n"; }));
  EXPECT_EQ(term->findChild<QPlainTextEdit*>("txtTerm")->toPlainText(), "hi\n");
  term->mnuCloseLog_Click();
  QFile log(logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(log.readAll(), QByteArray("hi\r\n"));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TerminalOnPty, TypedKeysReachThePeerWithEchoOffAndOn) {
  OpenPort();
  auto* txt = term->findChild<QPlainTextEdit*>("txtTerm");
  QTest::keyClicks(txt, "at");
  QTest::keyClick(txt, Qt::Key_Return);
  QTest::keyClick(txt, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(pty.PeerRead(4), QByteArray("at\r\x03"));
  EXPECT_EQ(term->Screen().Text(), "");

  Echo = true;
  QTest::keyClicks(txt, "ok");
  EXPECT_EQ(pty.PeerRead(2), QByteArray("ok"));
  EXPECT_EQ(term->Screen().Text(), "ok");
}

TEST_F(TerminalOnPty, FileArrivesByteForByte) {
  QByteArray content;
  for (int i = 0; i < 1300; ++i) content += static_cast<char>(i * 7 % 256);
  OpenPort();
  dialogs.files = {WriteFile("send.txt", content)};
  term->mnuSendText_Click();
  EXPECT_EQ(pty.PeerRead(1300 + 1, 3000), content);  // and not one byte more
  EXPECT_TRUE(test::WaitFor([] { return CancelSend; }));
  EXPECT_TRUE(Action("mnuSendText")->isEnabled());
  EXPECT_FALSE(term->findChild<frmCancelSend*>("frmCancelSend")->isVisible());
}

TEST_F(TerminalOnPty, CancelStopsTheSendWhileThePeerIsStopped) {
  OpenPort();
  pty.Pause();
  const QByteArray content(4 * 1024 * 1024, 'z');
  dialogs.files = {WriteFile("big.txt", content)};
  term->mnuSendText_Click();
  auto* cancel = term->findChild<frmCancelSend*>("frmCancelSend");
  ASSERT_TRUE(test::WaitFor([&] { return term->Comm().OutBufferCount() > 0; }));
  EXPECT_TRUE(cancel->isVisible());
  cancel->findChild<QPushButton*>("Command1")->click();
  EXPECT_TRUE(CancelSend);
  EXPECT_FALSE(cancel->isVisible());
  EXPECT_TRUE(Action("mnuSendText")->isEnabled());
  pty.Resume();
  const QByteArray got = pty.PeerRead(content.size(), 1500);
  EXPECT_LT(got.size(), content.size());
}

TEST_F(TerminalOnPty, ClosingWithOutputThatCannotDrainAsksAbortRetryIgnore) {
  OpenPort();
  dialogs.files = {dir.path() + "/close.log"};
  term->mnuOpenLog_Click();
  pty.Pause();
  ASSERT_TRUE(term->Comm().Output(QByteArray(4 * 1024 * 1024, 'q')).isEmpty());
  term->SetDrainTimeout(200);

  dialogs.answers = {MsgAnswer::Abort};
  term->close();
  ASSERT_TRUE(test::WaitFor([&] { return !dialogs.messages.empty(); }, 5000));
  EXPECT_EQ(dialogs.messages[0].first, MsgStyle::AbortRetryIgnore);
  EXPECT_EQ(dialogs.messages[0].second, "Data cannot be sent");
  EXPECT_TRUE(term->isVisible());
  EXPECT_TRUE(term->Comm().PortOpen());
  EXPECT_TRUE(Action("mnuCloseLog")->isEnabled());  // the log stays open too

  dialogs.answers = {MsgAnswer::Retry, MsgAnswer::Ignore};
  term->close();
  ASSERT_TRUE(test::WaitFor([&] { return !term->isVisible(); }, 5000));
  EXPECT_EQ(dialogs.messages.size(), 3u);
  EXPECT_FALSE(term->Comm().PortOpen());
  EXPECT_FALSE(Action("mnuOpen")->isChecked());
  EXPECT_FALSE(Action("mnuCloseLog")->isEnabled());
}

TEST_F(TerminalOnPty, PropertiesOkSavesTheFourKeysAndTheNextStartReadsThem) {
  WithProperties([&](frmProperties& p) {
    EXPECT_EQ(p.findChild<QComboBox*>("cboPort")->currentText(), "Com2");
    EXPECT_EQ(p.findChild<QComboBox*>("cboSpeed")->currentText(), "9600");
    EXPECT_EQ(p.findChild<QComboBox*>("cboParity")->currentText(), "None");
    EXPECT_TRUE(p.findChild<QRadioButton*>("optFlow_0")->isChecked());
    EXPECT_TRUE(p.findChild<QRadioButton*>("optEcho_0")->isChecked());
    test::SaveScreenshot(p, "frmProperties");
    p.findChild<QComboBox*>("cboSpeed")->setCurrentText("19200");
    p.findChild<QComboBox*>("cboParity")->setCurrentText("Even");
    p.findChild<QComboBox*>("cboDataBits")->setCurrentText("7");
    p.findChild<QComboBox*>("cboStopBits")->setCurrentText("2");
    p.findChild<QRadioButton*>("optFlow_1")->setChecked(true);
    p.findChild<QRadioButton*>("optEcho_1")->setChecked(true);
    p.findChild<QPushButton*>("cmdOK")->click();
  });
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(Echo);
  EXPECT_EQ(ReadProperty(kKeySettings), "19200,e,7,2");
  EXPECT_EQ(ReadProperty(kKeyCommPort), "2");
  EXPECT_EQ(ReadProperty(kKeyHandshaking), "1");
  EXPECT_EQ(ReadProperty(kKeyEcho), "True");

  // OK again with what was loaded: the saved parity letter must be read back and
  // composed again, not lost.
  WithProperties([](frmProperties& p) {
    EXPECT_EQ(p.findChild<QComboBox*>("cboParity")->currentText(), "Even");
    p.findChild<QPushButton*>("cmdOK")->click();
  });
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(ReadProperty(kKeySettings), "19200,e,7,2");

  Echo = false;
  frmTerminal next(MakeQtSerialComm(), dialogs);
  const PortSettings loaded = next.CurrentPortSettings();
  EXPECT_EQ(loaded.settings, "19200,e,7,2");
  EXPECT_EQ(loaded.commPort, 2);
  EXPECT_EQ(loaded.handshaking, 1);
  EXPECT_TRUE(loaded.echo);
}

TEST_F(TerminalOnPty, PortChangeShowsTheRealStateWhetherItFailsOrNot) {
  OpenPort();
  WithProperties([&](frmProperties& p) {
    p.findChild<QComboBox*>("cboPort")->setCurrentText("Com3");  // no such device
    p.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_TRUE(p.isVisible());  // the error keeps the window for another choice
    p.findChild<QPushButton*>("cmdCancel")->click();
  });
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].first, MsgStyle::Exclamation);
  EXPECT_EQ(term->Comm().CommPort(), 2);
  EXPECT_FALSE(term->Comm().PortOpen());
  EXPECT_FALSE(Action("mnuOpen")->isChecked());
  EXPECT_FALSE(Action("mnuSendText")->isEnabled());
  EXPECT_EQ(Indicator(), "imgNotConnected");
  EXPECT_EQ(Panel("Settings"), "Settings: ");
  EXPECT_EQ(ReadProperty(kKeyCommPort), "2");  // nothing saved

  WriteProperty("Com4", pty.PortPath());
  OpenPort();
  WithProperties([](frmProperties& p) {
    p.findChild<QComboBox*>("cboPort")->setCurrentText("Com4");
    p.findChild<QComboBox*>("cboSpeed")->setCurrentText("115200");
    p.findChild<QPushButton*>("cmdOK")->click();
  });
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(term->Comm().CommPort(), 4);
  EXPECT_TRUE(term->Comm().PortOpen());
  EXPECT_TRUE(Action("mnuOpen")->isChecked());
  EXPECT_EQ(Indicator(), "imgConnected");
  EXPECT_EQ(Panel("Settings"), "Settings: 115200,n,8,1");
  pty.PeerWrite("x");
  EXPECT_TRUE(test::WaitFor([&] { return term->Screen().Text() == "x"; }));
}

TEST_F(TerminalOnPty, DtrAndRtsActAtOnceAndAPseudoTerminalsRefusalIsNoError) {
  OpenPort();
  WithProperties([](frmProperties& p) {
    p.findChild<QCheckBox*>("Check1")->click();
    p.findChild<QCheckBox*>("Check2")->click();
    p.findChild<QPushButton*>("cmdCancel")->click();
  });
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(term->Comm().PortOpen());
}

}  // namespace
}  // namespace qbc
