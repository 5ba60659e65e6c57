#include "ide/app/commands/build_runner.h"

#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <vector>

#include "compiler/base/state.h"
#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "ide/build/build_locks.h"
#include "ide/build/isolated_build.h"

namespace qbc {

namespace {

// The report box, with the build's failures kept until what the build wrote has been
// taken: their message box runs an event loop of its own, in which the build is served
// again.
class HeldFailures : public ReportSink {
 public:
  // Starts from the box's text, so that an append stays an append.
  explicit HeldFailures(ReportSink& box) : box_(box) {
    SetText(box.Text());
    started_ = true;
  }
  void Failure(const std::string& description) override { failures.push_back(description); }
  std::vector<std::string> failures;

 protected:
  void Changed() override {
    if (!started_) return;
    if (Kept() == 0) {
      box_.SetText(Text());
    } else {
      box_.Append(std::string_view(Text()).substr(Kept()));
    }
  }

 private:
  ReportSink& box_;
  bool started_ = false;
};

}  // namespace

struct BuildRunner::Job {
  unsigned long serial = 0;  // tells this build from the ones before
  BuildPaths paths;
  InstallationLock lock;
  FolderLock folder;
  BuildStop stop;
  IsolatedBuild build;
  // Watch build.Fd() and the time its last programs have. They go with deleteLater: the
  // build may end in a slot of one of them.
  QPointer<QSocketNotifier> notifier;
  QPointer<QTimer> patience;
  bool waiting = false;

  ~Job() {
    Unwatch();
    for (QObject* watcher : {static_cast<QObject*>(notifier), static_cast<QObject*>(patience)}) {
      if (!watcher) continue;
      watcher->disconnect();
      watcher->deleteLater();
    }
  }
  void Watch(const std::function<void()>& serve) {
    const int fd = build.Fd();
    if (notifier && notifier->socket() != fd) {
      notifier->disconnect();
      notifier->deleteLater();
      notifier = nullptr;
    }
    if (!notifier) {
      notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
      QObject::connect(notifier, &QSocketNotifier::activated, notifier, serve);
    }
    notifier->setEnabled(true);
    if (build.PatienceMs() < 0) return;
    if (!patience) {
      patience = new QTimer;
      patience->setSingleShot(true);
      QObject::connect(patience, &QTimer::timeout, patience, serve);
    }
    patience->start(build.PatienceMs());
  }
  void Unwatch() {
    if (notifier) notifier->setEnabled(false);
    if (patience) patience->stop();
  }
};

BuildRunner::BuildRunner(DocumentManager& documents, ReportBox& report, QString installDir,
                         std::function<void(std::function<void()> then)> wait, int lockWaitMs,
                         std::function<void(const QString&)> busy)
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
  auto job = std::make_unique<Job>();
  job->paths = BuildPaths{QFile::encodeName(installDir_).toStdString(), QFile::encodeName(path).toStdString()};
  std::string holder;
  const std::chrono::milliseconds lockWait(lockWaitMs_);
  if (!job->lock.Acquire(job->paths.installDir, job->paths.documentPath, lockWait, holder)) {
    if (busy_)
      busy_(QStringLiteral("The installation folder ") + installDir_ +
            QStringLiteral(" is in use by another build (") + QString::fromStdString(holder) + QStringLiteral(")"));
    return;
  }
  if (!job->folder.Acquire(job->paths.documentPath, lockWait)) {
    if (busy_)
      busy_(QStringLiteral("The folder ") + QFile::decodeName(DocumentFolder(job->paths.documentPath).c_str()) +
            QStringLiteral(" is in use by a build from another installation"));
    return;
  }
  job->serial = ++builds_;
  job_ = std::move(job);
  running_ = true;
  if (onRunning) onRunning(true);
  // In a process of its own: no fault of a build can take the editors' text with it. The
  // locks stay held while any process of the build lives, the environment's own hold aside.
  job_->build.Start(BuildCommandBody(*state_, job_->paths, text.toStdString()), &job_->stop,
                    {job_->lock.Fd(), job_->folder.Fd()});
  Serve();
  if (!running_) return;
  QEventLoop loop;
  runLoop_ = &loop;
  loop.exec();
}

void BuildRunner::Serve() {
  if (!job_ || job_->waiting) return;
  Job& job = *job_;
  HeldFailures sink(report_.Sink());
  // Nothing of the build is served again while this serve takes it.
  job.Unwatch();
  switch (job.build.Serve(sink)) {
    case IsolatedBuild::Step::kGoOn:
      job.Watch([this] { Serve(); });
      break;
    case IsolatedBuild::Step::kWait:
      job.waiting = true;
      wait_([this, serial = job.serial] {
        if (!job_ || job_->serial != serial || !job_->waiting) return;
        job_->waiting = false;
        Serve();
      });
      break;
    case IsolatedBuild::Step::kEnded: {
      BuildOutcome outcome;
      std::string stopped;
      const int result = job.build.Result(outcome, stopped);
      EndOfIsolatedBuild(job.paths, result, stopped, job.stop.Requested(), sink);
      End();
      break;
    }
  }
  for (const std::string& failure : sink.failures) report_.Sink().Failure(failure);
}

void BuildRunner::End() {
  // The locks go with the job, the notifier later: its signal may be the one that runs.
  job_.reset();
  running_ = false;
  if (runLoop_) runLoop_->quit();
  runLoop_ = nullptr;
  if (onRunning) onRunning(false);
}

void BuildRunner::Stop() {
  if (!job_) return;
  job_->stop.Request();
  // A build in its wait ends now, not when the wait is over.
  if (job_->waiting) {
    job_->waiting = false;
    Serve();
  }
}

}  // namespace qbc
