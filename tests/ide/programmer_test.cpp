// The programmer, the debugger ("AvrStudio") and the help file.
#include <QAction>
#include <QFile>

#include "ide/app/commands/document_manager.h"
#include "ide/app/commands/programmer_launcher.h"
#include "ide/core/settings_keys.h"
#include "tests/ide/support/env_fixture.h"

namespace qbc::test {
namespace {

using settings::kCmdLine;
using settings::kDebug;
using settings::kProgram;
using settings::kStartup;

class ProgrammerTest : public EnvTest {
 protected:
  QString OpenDocument(const QString& name) {
    const QString path = WriteWorkFile(name, "x\r\n");
    services.fileNames = {path};
    main->OpenFile(QString::fromLatin1(kBasicFilter));
    return path;
  }
  void Trigger(const char* name) { main->findChild<QAction*>(QString::fromLatin1(name))->trigger(); }
};

TEST_F(ProgrammerTest, TheHexFileFollowsTheCommandLineAndPathsWithBlanksStayWhole) {
  SetSetting(kStartup, kProgram, QStringLiteral("/opt/my tools/prog"));
  SetSetting(kStartup, kCmdLine, QStringLiteral("-p m8515 -e "));
  Start();
  OpenDocument(QStringLiteral("my work/Blink.bas"));
  Trigger("mnuTools_RunProg");
  ASSERT_EQ(services.starts.size(), 1u);
  EXPECT_EQ(services.starts[0].program, QStringLiteral("/opt/my tools/prog"));
  EXPECT_EQ(services.starts[0].arguments,
            (QStringList{QStringLiteral("-p"), QStringLiteral("m8515"), QStringLiteral("-e"),
                         workDir + QStringLiteral("/my work/Blink.hex")}));
}

TEST_F(ProgrammerTest, AnAssemblerDocumentAndAnEmptyCommandLine) {
  SetSetting(kStartup, kProgram, QStringLiteral("/t/prog"));
  Start();
  OpenDocument(QStringLiteral("blink.asm"));
  main->DoProg();
  ASSERT_EQ(services.starts.size(), 1u);
  EXPECT_EQ(services.starts[0].arguments, QStringList{workDir + QStringLiteral("/blink.hex")});
}

TEST_F(ProgrammerTest, WithoutAProgramTheDialogAsksAndACancelStartsNothing) {
  Start();
  OpenDocument(QStringLiteral("blink.bas"));
  services.fileNames = {QString()};
  main->DoProg();
  EXPECT_EQ(services.dialogs.back().title, QStringLiteral("Select Programmer.exe File"));
  EXPECT_TRUE(services.starts.empty());
  EXPECT_TRUE(Setting(kStartup, kProgram).isEmpty());
  services.fileNames = {QStringLiteral("/t/avrdude")};
  main->DoProg();
  EXPECT_EQ(Setting(kStartup, kProgram), QStringLiteral("/t/avrdude"));
  ASSERT_EQ(services.starts.size(), 1u);
  EXPECT_EQ(services.starts[0].program, QStringLiteral("/t/avrdude"));
}

TEST_F(ProgrammerTest, AProgramThatCannotStartIsReported) {
  SetSetting(kStartup, kProgram, QStringLiteral("/t/prog"));
  SetSetting(kStartup, kCmdLine, QStringLiteral("-e "));
  SetSetting(kStartup, kDebug, QStringLiteral("/t/sim"));
  Start();
  const QString path = OpenDocument(QStringLiteral("b.bas"));
  services.startSucceeds = false;
  main->DoProg();
  main->DoDebug();
  ASSERT_EQ(services.informations.size(), 2u);
  EXPECT_EQ(services.informations[0], QStringLiteral("Error executing /t/prog -e ") + workDir + QStringLiteral("/b.hex"));
  EXPECT_EQ(services.informations[1], QStringLiteral("Error executing AvrStudio.exe!"));
  EXPECT_EQ(Setting(kStartup, kProgram), QStringLiteral("/t/prog"));
}

TEST_F(ProgrammerTest, TheDebuggerIsFoundOnceAndStartedAlone) {
  Start();
  services.fileNames = {QStringLiteral("/t/simulator")};
  Trigger("mnuTools_RunStudio");
  EXPECT_EQ(services.dialogs.back().title, QStringLiteral("Select AvrStudio.exe File"));
  EXPECT_EQ(Setting(kStartup, kDebug), QStringLiteral("/t/simulator"));
  Trigger("mnuTools_RunStudio");
  ASSERT_EQ(services.starts.size(), 2u);
  EXPECT_EQ(services.dialogs.size(), 1u);
  EXPECT_TRUE(services.starts[1].arguments.isEmpty());
  // "Find AvrStudio" cancelled keeps the stored path.
  services.fileNames = {QString()};
  Trigger("mnuTools_Studio");
  EXPECT_EQ(Setting(kStartup, kDebug), QStringLiteral("/t/simulator"));
}

TEST_F(ProgrammerTest, CancelOnTheCommandLinePromptKeepsTheStoredText) {
  SetSetting(kStartup, kCmdLine, QStringLiteral("-p m8 "));
  Start();
  services.inputs = {QString()};
  Trigger("progCmdLine");
  ASSERT_EQ(services.prompts.size(), 1u);
  EXPECT_EQ(services.prompts[0].first.size(), 103);
  EXPECT_EQ(services.prompts[0].first, QStringLiteral("Enter Command Line") + QString(48, QLatin1Char(' ')) +
                                           QStringLiteral("(FileName.hex is added automaticaly!)"));
  EXPECT_EQ(services.prompts[0].second, QStringLiteral("-p m8 "));
  EXPECT_EQ(Setting(kStartup, kCmdLine), QStringLiteral("-p m8 "));
  services.inputs = {QStringLiteral("")};
  Trigger("progCmdLine");
  EXPECT_EQ(Setting(kStartup, kCmdLine), QStringLiteral(""));
}

TEST_F(ProgrammerTest, HelpFromTheMenuOpensTheFileAndTheButtonChecksItFirst) {
  Start();
  Trigger("mnuHelp");
  ASSERT_EQ(services.viewed.size(), 1u);
  EXPECT_EQ(services.viewed[0], installDir + QStringLiteral("/Quorvil.chm"));
  main->ButtonPressed(16);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0].first, QStringLiteral("Quorvil Help error message"));
  EXPECT_EQ(services.messages[0].second, QStringLiteral("Help file Quorvil.chm don't exist in ") + installDir);
  EXPECT_EQ(services.viewed.size(), 1u);
  WriteWorkFile(QStringLiteral("x"), "");
  QFile(workDir + QStringLiteral("/x")).copy(installDir + QStringLiteral("/Quorvil.chm"));
  main->ButtonPressed(16);
  EXPECT_EQ(services.viewed.size(), 2u);
}

}  // namespace
}  // namespace qbc::test
