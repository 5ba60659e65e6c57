// The terminal window on a port in memory: events, received text, keys, log file and
// file sending.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <functional>

#include "tests/tools/support/fake_comm.h"
#include "tests/tools/support/tool_test_support.h"
#include "tools/common/tool_globals.h"
#include "tools/common/tool_settings.h"
#include "tools/terminal/ui/frm_cancel_send.h"
#include "tools/terminal/ui/frm_properties.h"
#include "tools/terminal/ui/frm_terminal.h"
#include "tools/terminal/ui/terminal_screen.h"

namespace qbc {
namespace {

class TerminalWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Echo = false;
    auto comm = std::make_unique<test::FakeComm>();
    fake = comm.get();
    term = std::make_unique<frmTerminal>(std::move(comm), dialogs);
    term->show();
  }

  QString Panel(const char* name) { return term->findChild<QLabel*>(name)->text(); }
  QAction* Action(const char* name) { return term->findChild<QAction*>(name); }
  QString View() { return term->findChild<QPlainTextEdit*>("txtTerm")->toPlainText(); }
  QString WriteFile(const QString& name, const QByteArray& bytes) { return test::WriteFileIn(dir, name, bytes); }

  test::TempSettings settings;
  QTemporaryDir dir;
  test::ScriptedDialogs dialogs;
  test::FakeComm* fake = nullptr;
  std::unique_ptr<frmTerminal> term;
};

TEST_F(TerminalWindow, OpeningAndClosingThePortSetsEveryIndicator) {
  EXPECT_EQ(term->windowTitle(), "Quorvil Terminal");
  EXPECT_FALSE(Action("mnuOpen")->isChecked());
  EXPECT_FALSE(Action("mnuSendText")->isEnabled());
  EXPECT_FALSE(Action("mnuCloseLog")->isEnabled());
  EXPECT_EQ(Panel("Settings"), "Settings: ");

  term->mnuOpen_Click();
  EXPECT_TRUE(Action("mnuOpen")->isChecked());
  EXPECT_TRUE(Action("mnuSendText")->isEnabled());
  EXPECT_TRUE(Action("TransmitTextFile")->isEnabled());
  EXPECT_EQ(Panel("Settings"), "Settings: 9600,n,8,1");
  EXPECT_EQ(term->findChild<QStackedWidget*>("Frame1")->currentWidget()->objectName(), "imgConnected");

  term->mnuOpen_Click();
  EXPECT_FALSE(Action("mnuOpen")->isChecked());
  EXPECT_FALSE(Action("TransmitTextFile")->isEnabled());
  EXPECT_EQ(Panel("Settings"), "Settings: ");
  EXPECT_EQ(term->findChild<QStackedWidget*>("Frame1")->currentWidget()->objectName(), "imgNotConnected");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TerminalWindow, PortEventsShowTheirStatusForTwoSeconds) {
  term->mnuOpen_Click();
  const std::pair<int, const char*> cases[] = {
      {3, "Status: Change in CTS Detected"},
      {1004, "Status: Framing Error"},
      {1009, "Status: Parity Error"},
      {0, "Status: Unknown error or event"},
  };
  for (const auto& [code, text] : cases) {
    emit fake->commEvent(code);
    EXPECT_EQ(Panel("Status"), text);
  }
  emit fake->commEvent(1);  // a send event shows nothing new
  EXPECT_EQ(Panel("Status"), "Status: Unknown error or event");
  EXPECT_TRUE(test::WaitFor([&] { return Panel("Status") == "Status: "; }, 3000));
  EXPECT_TRUE(Panel("CommTime").startsWith("00:00:0")) << Panel("CommTime").toStdString();

  term->mnuOpen_Click();
  emit fake->commEvent(1001);  // a closed port's events are not looked at
  EXPECT_EQ(Panel("Status"), "Status: ");
  EXPECT_EQ(Panel("CommTime"), "");
}

TEST_F(TerminalWindow, ReceivedTextIsShownWithItsLineEnds) {
  term->mnuOpen_Click();
  fake->Receive("\bok");  // nothing shown yet to take back: no error, nothing lost
  EXPECT_TRUE(dialogs.messages.empty());
  fake->Receive("AB\r\n");
  fake->Receive("x\n");
  fake->Receive("\b\bC");
  EXPECT_EQ(term->Screen().Text(), "okAB\r\nC");
  EXPECT_EQ(View(), "okAB\nC");
  test::SaveScreenshot(*term, "frmTerminal");
}

TEST_F(TerminalWindow, ALongTextLosesItsOldestLinesAndTheViewFollows) {
  term->mnuOpen_Click();
  QByteArray lines;
  for (int i = 0; lines.size() <= 16000; ++i) lines += "line " + QByteArray::number(i) + "\r";
  fake->Receive(lines);
  const std::string before = term->Screen().Text();
  ASSERT_GT(before.size(), 16000u);
  fake->Receive("end");
  EXPECT_EQ(term->Screen().Text(), before.substr(4096) + "end");
  QString expected = QString::fromStdString(term->Screen().Text());
  expected.remove(QLatin1Char('\r'));
  EXPECT_EQ(View(), expected);
}

TEST_F(TerminalWindow, TypedKeysGoToThePortAndShowOnlyWithEchoOrAClosedPort) {
  auto* txt = term->findChild<QPlainTextEdit*>("txtTerm");
  QTest::keyClicks(txt, "a");  // port closed: shown here, sent nowhere
  EXPECT_EQ(term->Screen().Text(), "a");

  term->mnuOpen_Click();
  QTest::keyClicks(txt, "bc");
  QTest::keyClick(txt, Qt::Key_Return);
  QTest::keyClick(txt, Qt::Key_Backspace);
  QTest::keyClick(txt, Qt::Key_Tab);
  QTest::keyClick(txt, Qt::Key_C, Qt::ControlModifier);
  QTest::keyClick(txt, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(txt, Qt::Key_Left);  // types nothing
  EXPECT_EQ(fake->Written(), QByteArray("bc\r\b\t\x03\x1a"));
  EXPECT_EQ(term->Screen().Text(), "a");  // echo off: the board echoes

  Echo = true;
  QTest::keyClicks(txt, "d");
  QTest::keyClick(txt, Qt::Key_Return);
  EXPECT_EQ(fake->Written().right(2), QByteArray("d\r"));
  EXPECT_EQ(term->Screen().Text(), "ad\r\n");
}

TEST_F(TerminalWindow, LogFileReceivesTheShownTextAndExistingFilesAreAskedAbout) {
  term->mnuOpen_Click();
  const QString fresh = dir.path() + "/new.log";
  dialogs.files = {fresh};
  term->mnuOpenLog_Click();
  ASSERT_EQ(dialogs.fileMustExist.size(), 1u);
  EXPECT_FALSE(dialogs.fileMustExist[0]);  // a new log's name must be accepted
  EXPECT_EQ(term->windowTitle(), "Quorvil Basic for AVR terminal - new.log");
  EXPECT_FALSE(Action("OpenLogFile")->isEnabled());
  EXPECT_TRUE(Action("CloseLogFile")->isEnabled());
  fake->Receive("hi\r");
  fake->Receive("x\by");
  term->mnuCloseLog_Click();
  EXPECT_EQ(term->windowTitle(), "Quorvil terminal");
  EXPECT_TRUE(Action("mnuOpenLog")->isEnabled());
  QFile log(fresh);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(log.readAll(), QByteArray("hi\r\ny"));
  log.close();

  struct Case {
    std::vector<MsgAnswer> answers;
    QByteArray expected;
  };
  const Case cases[] = {
      {{MsgAnswer::No}, "old+new"},
      {{MsgAnswer::Yes}, "new"},
      {{MsgAnswer::Cancel, MsgAnswer::Yes}, "new"},  // Cancel asks for a file again
  };
  for (const Case& c : cases) {
    const QString existing = WriteFile("old.log", "old+");
    dialogs.messages.clear();
    dialogs.files = {existing, existing};
    dialogs.answers.assign(c.answers.begin(), c.answers.end());
    term->mnuOpenLog_Click();
    ASSERT_EQ(dialogs.messages.size(), c.answers.size());
    EXPECT_EQ(dialogs.messages[0].first, MsgStyle::YesNoCancelQuestion);
    EXPECT_EQ(dialogs.messages[0].second, "Replace existing file - " + existing + "?");
    fake->Receive("new");
    term->mnuCloseLog_Click();
    QFile f(existing);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), c.expected);
  }
}

TEST_F(TerminalWindow, FileIsSentInBlocksOfExactlyItsBytes) {
  QByteArray content;
  for (int i = 0; i < 1300; ++i) content += static_cast<char>('A' + i % 26);
  term->mnuOpen_Click();
  dialogs.files = {dir.path() + "/missing.txt", WriteFile("send.txt", content)};
  term->mnuSendText_Click();
  ASSERT_TRUE(test::WaitFor([&] { return CancelSend; }));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].second, dir.path() + "/missing.txt not found!");
  ASSERT_EQ(fake->outputs.size(), 3u);
  EXPECT_EQ(fake->outputs[0].size(), 512);
  EXPECT_EQ(fake->outputs[1].size(), 512);
  EXPECT_EQ(fake->outputs[2].size(), 276);
  EXPECT_EQ(fake->Written(), content);  // no blank after the file's last byte
  EXPECT_TRUE(Action("mnuSendText")->isEnabled());
  EXPECT_FALSE(term->findChild<frmCancelSend*>("frmCancelSend")->isVisible());
}

TEST_F(TerminalWindow, CancelStopsASendThatCannotDrain) {
  const std::pair<const char*, std::function<void(frmCancelSend&)>> ways[] = {
      {"Cancel button", [](frmCancelSend& c) { c.findChild<QPushButton*>("Command1")->click(); }},
      {"close box", [](frmCancelSend& c) { c.close(); }},
  };
  for (const auto& [way, cancelBy] : ways) {
    SCOPED_TRACE(way);
    fake->outputs.clear();
    fake->pending = 0;
    fake->drains = false;
    term->mnuOpen_Click();
    dialogs.files = {WriteFile("send.txt", QByteArray(2000, 'x'))};
    term->mnuSendText_Click();
    auto* cancel = term->findChild<frmCancelSend*>("frmCancelSend");
    ASSERT_TRUE(cancel->isVisible());
    EXPECT_TRUE(cancel->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(cancel->findChild<QLabel*>("Label1")->text(),
              "Transmitting Text File - " + dir.path() + "/send.txt");
    EXPECT_FALSE(CancelSend);
    EXPECT_FALSE(Action("mnuSendText")->isEnabled());
    test::SaveScreenshot(*cancel, "frmCancelSend");
    QTest::qWait(50);
    EXPECT_EQ(fake->outputs.size(), 1u);  // the next block waits for the first to drain

    cancelBy(*cancel);
    EXPECT_TRUE(CancelSend);
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_TRUE(Action("mnuSendText")->isEnabled());
    fake->pending = 0;
    QTest::qWait(50);
    EXPECT_EQ(fake->outputs.size(), 1u);
    term->mnuOpen_Click();
  }
}

TEST_F(TerminalWindow, PropertiesKeepASpeedOutsideTheirList) {
  fake->settings = "300,n,8,1";
  test::ActWhenShown<frmProperties>([](frmProperties& p) {
    EXPECT_EQ(p.findChild<QComboBox*>("cboSpeed")->currentText(), "300");
    p.findChild<QPushButton*>("cmdOK")->click();
  });
  term->mnuProperties_Click();
  EXPECT_EQ(fake->settings, "300,n,8,1");
  EXPECT_EQ(ReadProperty(kKeySettings), "300,n,8,1");
}

TEST_F(TerminalWindow, PropertiesToggleDtrAndRtsAtOnceEvenOnCancel) {
  test::ActWhenShown<frmProperties>([](frmProperties& p) {
    EXPECT_FALSE(p.findChild<QCheckBox*>("Check1")->isChecked());
    p.findChild<QCheckBox*>("Check1")->click();
    p.findChild<QCheckBox*>("Check2")->click();
    p.findChild<QCheckBox*>("Check2")->click();
    p.findChild<QPushButton*>("cmdCancel")->click();
  });
  term->mnuProperties_Click();
  EXPECT_EQ(fake->dtrToggles, 1);
  EXPECT_EQ(fake->rtsToggles, 2);
  EXPECT_EQ(ReadProperty(kKeySettings), "");  // Cancel saves nothing
}

TEST_F(TerminalWindow, SettingsWithoutALinuxEquivalentAreReportedAtLoad) {
  const char* cases[][2] = {
      {kKeySettings, "9600,n,8,1.5"},
      {kKeyHandshaking, "3"},
  };
  for (const auto& [key, value] : cases) {
    SCOPED_TRACE(value);
    test::TempSettings fresh;
    WriteProperty(key, value);
    test::ScriptedDialogs answered;
    frmTerminal t(MakeQtSerialComm(), answered);
    ASSERT_EQ(answered.messages.size(), 1u);
    EXPECT_EQ(answered.messages[0].first, MsgStyle::Exclamation);
    EXPECT_TRUE(answered.messages[0].second.contains("Linux"));
  }
}

}  // namespace
}  // namespace qbc
