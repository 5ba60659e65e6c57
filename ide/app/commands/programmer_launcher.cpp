#include "ide/app/commands/programmer_launcher.h"

#include <QFile>
#include <QFileInfo>

#include "compiler/driver/driver.h"
#include "ide/app/services/desktop_services.h"
#include "ide/app/services/settings_store.h"
#include "ide/core/programmer_command.h"
#include "ide/core/settings_keys.h"

namespace qbc {

ProgrammerLauncher::ProgrammerLauncher(DesktopServices& services, QWidget* parent, QString installDir,
                                       std::function<QString()> activePath)
    : services_(services), parent_(parent), installDir_(std::move(installDir)), activePath_(std::move(activePath)) {}

QString ProgrammerLauncher::SelectExeFile(const QString& what) {
  // The programs are Linux executables; the titles stay as users know them.
  return services_.OpenFileName(parent_, QStringLiteral("Select ") + what + QStringLiteral(".exe File"),
                                QStringLiteral("Programs (*)|*"));
}

QString ProgrammerLauncher::TestDebug() {
  const QString path = SelectExeFile(QStringLiteral("AvrStudio"));
  if (!path.isEmpty()) WriteSetting(settings::kStartup, settings::kDebug, path);
  return path;
}

QString ProgrammerLauncher::TestProg() {
  const QString path = SelectExeFile(QStringLiteral("Programmer"));
  if (!path.isEmpty()) WriteSetting(settings::kStartup, settings::kProgram, path);
  return path;
}

void ProgrammerLauncher::DoDebug() {
  QString path = ReadSetting(settings::kStartup, settings::kDebug);
  if (path.isEmpty()) path = TestDebug();
  if (path.isEmpty()) return;
  if (!services_.StartDetached(path, {})) services_.Information(parent_, QStringLiteral("Error executing AvrStudio.exe!"));
}

void ProgrammerLauncher::DoProg() {
  const QString document = activePath_();
  if (document.isEmpty()) return;
  const std::string hexFile = DocumentBaseName(QFile::encodeName(document).toStdString()) + ".hex";
  QString program = ReadSetting(settings::kStartup, settings::kProgram);
  const std::string cmdLine = ReadSetting(settings::kStartup, settings::kCmdLine).toStdString();
  if (program.isEmpty()) program = TestProg();
  if (program.isEmpty()) return;
  QStringList arguments;
  for (const std::string& a : ProgrammerArguments(cmdLine, hexFile)) arguments << QFile::decodeName(a.c_str());
  if (!services_.StartDetached(program, arguments)) {
    services_.Information(parent_, QStringLiteral("Error executing ") +
                                       QString::fromStdString(ProgrammerCommandText(
                                           QFile::encodeName(program).toStdString(), cmdLine, hexFile)));
  }
}

void ProgrammerLauncher::EditCommandLine() {
  const QString current = ReadSetting(settings::kStartup, settings::kCmdLine);
  const QString prompt = QStringLiteral("Enter Command Line") + QString(48, QLatin1Char(' ')) +
                         QStringLiteral("(FileName.hex is added automaticaly!)");
  // Cancel keeps the stored command line; only an answer replaces it.
  if (auto answer = services_.InputText(parent_, prompt, current))
    WriteSetting(settings::kStartup, settings::kCmdLine, *answer);
}

QString ProgrammerLauncher::HelpPath() const { return installDir_ + QLatin1Char('/') + QLatin1String(kHelpFileName); }

void ProgrammerLauncher::Help() { services_.OpenWithViewer(HelpPath()); }

void ProgrammerLauncher::HelpFromButton() {
  if (!QFileInfo(HelpPath()).isFile()) {
    services_.Message(parent_, QStringLiteral("Quorvil Help error message"),
                      QStringLiteral("Help file Quorvil.chm don't exist in ") + installDir_);
    return;
  }
  services_.OpenWithViewer(HelpPath());
}

}  // namespace qbc
