#include "ide/app/commands/build_runner.h"

#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>

#include "compiler/base/state.h"
#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "ide/build/build_locks.h"
#include "ide/build/isolated_build.h"

namespace qbc {

BuildRunner::BuildRunner(DocumentManager& documents, ReportBox& report, QString installDir,
                         std::function<void()> wait, int lockWaitMs, std::function<void(const QString&)> busy)
    : documents_(documents),
      report_(report),
      installDir_(std::move(installDir)),
      wait_(std::move(wait)),
      lockWaitMs_(lockWaitMs),
      busy_(std::move(busy)),
      state_(std::make_unique<CompilerState>()) {}

BuildRunner::~BuildRunner() = default;

void BuildRunner::Run() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (running_ || !doc) return;
  const QString path = doc->Path();
  // Any document other than a Basic source goes to the assembler as saved.
  if (!path.right(3).toLower().endsWith(QLatin1String("bas")) && !documents_.Save(doc)) return;
  const QByteArray text = doc->Bytes();
  BuildPaths paths{QFile::encodeName(installDir_).toStdString(), QFile::encodeName(path).toStdString()};
  InstallationLock lock;
  std::string holder;
  if (!lock.Acquire(paths.installDir, paths.documentPath, std::chrono::milliseconds(lockWaitMs_), holder)) {
    if (busy_)
      busy_(QStringLiteral("The installation folder ") + installDir_ +
            QStringLiteral(" is in use by another build (") + QString::fromStdString(holder) + QStringLiteral(")"));
    return;
  }
  BuildStop stop;
  stop_ = &stop;
  running_ = true;
  if (onRunning) onRunning(true);
  IsolationHooks hooks;
  hooks.wait = wait_;
  // The window lives on while the build runs: its events are served until the build
  // writes.
  hooks.waitForOutput = [](int fd) {
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QEventLoop loop;
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    loop.exec();
  };
  hooks.stop = &stop;
  // The lock stays held while any process of the build lives, the environment's own hold
  // aside.
  hooks.handDown = {lock.Fd()};
  // In a process of its own: no fault of a build can take the editors' text with it.
  RunBuildCommandIsolated(*state_, paths, text.toStdString(), report_.Sink(), nullptr, hooks);
  lock.Release();
  stop_ = nullptr;
  running_ = false;
  if (onRunning) onRunning(false);
}

void BuildRunner::Stop() {
  if (stop_) stop_->Request();
}

}  // namespace qbc
