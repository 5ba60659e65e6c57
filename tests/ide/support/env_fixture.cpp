#include "tests/ide/support/env_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "ide/app/services/settings_store.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {

QString ScriptedServices::NextFileName() {
  if (fileNames.empty()) return QString();
  QString name = fileNames.front();
  fileNames.pop_front();
  return name;
}

void ScriptedServices::DialogOpen() {
  const std::function<void()> hook = std::move(duringDialog);
  duringDialog = nullptr;
  if (hook) hook();
}

QString ScriptedServices::OpenFileName(QWidget*, const QString& title, const QString& filter) {
  dialogs.push_back({QStringLiteral("open"), title, QString(), filter});
  DialogOpen();
  return NextFileName();
}

QString ScriptedServices::SaveFileName(QWidget*, const QString& title, const QString& initialName,
                                       const QString& filter) {
  dialogs.push_back({QStringLiteral("save"), title, initialName, filter});
  DialogOpen();
  return NextFileName();
}

DesktopServices::Answer ScriptedServices::Question(QWidget*, const QString& title, const QString& text) {
  questions.emplace_back(title, text);
  DialogOpen();
  if (answers.empty()) return Answer::kCancel;
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<QString> ScriptedServices::InputText(QWidget*, const QString& prompt, const QString& defaultText) {
  prompts.emplace_back(prompt, defaultText);
  if (inputs.empty()) return std::nullopt;
  const QString a = inputs.front();
  inputs.pop_front();
  if (a.isNull()) return std::nullopt;
  return a;
}

bool ScriptedServices::StartDetached(const QString& program, const QStringList& arguments) {
  starts.push_back({program, arguments});
  return startSucceeds;
}

bool ScriptedServices::OpenWithViewer(const QString& path) {
  viewed.push_back(path);
  return true;
}

bool ScriptedServices::EditLook(QWidget*, EditorLook& look) {
  ++lookDialogs;
  if (!acceptedLook) return false;
  look = *acceptedLook;
  return true;
}

void EnvTest::SetUp() {
  const QString settingsDir = QString::fromStdString(MakeTempDir("settings"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir);
  installDir = QString::fromStdString(MakeTempDir("install"));
  workDir = QString::fromStdString(MakeTempDir("work"));
  // Untitled documents have no folder: what a Run writes for them lands in the current
  // folder, which must be the test's own and never the source tree.
  previousDir = QDir::currentPath();
  QDir::setCurrent(workDir);
  UseInstallDir(installDir);
}

void EnvTest::UseInstallDir(const QString& dir) {
  installDir = dir;
  // The installation folder's inc/ links the built device files and the assembler, so a
  // test's recent.res stays its own.
  QDir().mkpath(installDir + QStringLiteral("/inc"));
  const QDir builtInc(QString::fromStdString(BinDir()) + QStringLiteral("/inc"));
  for (const QString& name : builtInc.entryList(QDir::Files)) {
    if (name == QLatin1String("recent.res")) continue;
    QFile::link(builtInc.filePath(name), installDir + QStringLiteral("/inc/") + name);
  }
}

void EnvTest::TearDown() {
  main.reset();
  QApplication::processEvents();
  QDir::setCurrent(previousDir);
}

FrmMain& EnvTest::Start() {
  EnvironmentOptions options;
  options.installDir = installDir;
  options.services = &services;
  options.waitMs = 0;
  options.lockWaitMs = 0;
  main = std::make_unique<FrmMain>(options);
  main->Load();
  QApplication::processEvents();
  return *main;
}

QString EnvTest::WriteWorkFile(const QString& name, const QByteArray& bytes) {
  const QString path = workDir + QLatin1Char('/') + name;
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  return path;
}

QByteArray EnvTest::ReadWorkFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

void EnvTest::Screenshot(QWidget* widget, const QString& name) {
  const QString dir = QStringLiteral(QBC_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  EXPECT_TRUE(widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

QString EnvTest::Setting(const char* group, const char* key) { return ReadSetting(group, key); }

void EnvTest::SetSetting(const char* group, const char* key, const QString& value) {
  WriteSetting(group, key, value);
}

}  // namespace qbc::test
