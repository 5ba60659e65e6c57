#include "tests/tools/support/tool_test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QSettings>
#include <QThread>
#include <QWidget>

namespace qbc::test {

MsgAnswer ScriptedDialogs::Message(QWidget*, MsgStyle style, const QString& text) {
  messages.emplace_back(style, text);
  if (answers.empty()) return MsgAnswer::Ok;
  const MsgAnswer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<QString> ScriptedDialogs::OpenFileName(QWidget*, const QString&, const QString&,
                                                     bool mustExist) {
  fileMustExist.push_back(mustExist);
  if (files.empty()) return std::nullopt;
  const QString f = files.front();
  files.pop_front();
  if (f.isEmpty()) return std::nullopt;
  return f;
}

TempSettings::TempSettings() {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
}

QString WriteFileIn(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  const QString path = dir.path() + QLatin1Char('/') + name;
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
  return path;
}

QString SaveScreenshot(QWidget& window, const QString& name) {
  const QString dir = QStringLiteral(QBC_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
  window.grab().save(path);
  return path;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

}  // namespace qbc::test
