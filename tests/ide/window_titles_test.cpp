// The titles the desktop shows: each window's own, with nothing of the application's
// appended, and the application's title on the boxes that have none of their own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "ide/app/services/application_setup.h"
#include "ide/app/services/qt_desktop_services.h"

namespace qbc::test {
namespace {

// The title of the next modal box, which is then closed.
QString TitleOfNextBox(const std::function<void()>& show) {
  QString title;
  QTimer::singleShot(0, [&title] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    title = box->windowTitle();
    box->close();
  });
  show();
  return title;
}

TEST(WindowTitles, TheApplicationSetsNoDisplayNameForTheDesktopToAppend) {
  const QString before = QCoreApplication::applicationName();
  SetUpApplication();
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Quorvil Basic Compiler"));
  // Without a display name of its own, the display name follows the application name;
  // one that was set (and that Qt appends to every window title) would stay.
  QCoreApplication::setApplicationName(QStringLiteral("renamed"));
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("renamed"));
  QCoreApplication::setApplicationName(before);
}

TEST(WindowTitles, BoxesWithoutATitleOfTheirOwnShowTheApplicationTitle) {
  SetUpApplication();
  QtDesktopServices services;
  EXPECT_EQ(TitleOfNextBox([&] { services.Information(nullptr, QStringLiteral("Cannot open x")); }),
            QStringLiteral("Quorvil Basic Compiler"));
  EXPECT_EQ(TitleOfNextBox([&] { (void)services.InputText(nullptr, QStringLiteral("Go to line"), QString()); }),
            QStringLiteral("Quorvil Basic Compiler"));
  EXPECT_EQ(TitleOfNextBox([&] { services.Message(nullptr, QStringLiteral("Message to user:"), QStringLiteral("x")); }),
            QStringLiteral("Message to user:"));
}

}  // namespace
}  // namespace qbc::test
