// qbc-ide: the desktop environment. The splash shows for three seconds (or until it is
// clicked), then the main window opens with the last document.
#include <QApplication>
#include <csignal>
#include <memory>

#include "ide/app/services/application_setup.h"
#include "ide/app/services/qt_desktop_services.h"
#include "ide/app/windows/frm_main.h"
#include "ide/app/windows/frm_splash.h"

int main(int argc, char** argv) {
  // A file size limit (ulimit -f) makes a save fail, which the save reports, instead of
  // ending the environment with the documents' text.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  qbc::SetUpApplication();
  qbc::QtDesktopServices services;
  std::unique_ptr<qbc::FrmMain> main;

  qbc::EnvironmentOptions options;
  options.installDir = QCoreApplication::applicationDirPath();
  options.services = &services;
  options.showAbout = [] { (new qbc::FrmSplash())->show(); };

  auto* splash = new qbc::FrmSplash([&] {
    main = std::make_unique<qbc::FrmMain>(options);
    QObject::connect(main.get(), &qbc::FrmMain::shutDown, &app, &QApplication::quit);
    main->Load();
  });
  splash->StartTimer();
  splash->show();
  return QApplication::exec();
}
