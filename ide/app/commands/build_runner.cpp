#include "ide/app/commands/build_runner.h"

#include <QFile>

#include "compiler/frontend/state.h"
#include "ide/app/commands/document_manager.h"
#include "ide/app/windows/frm_doc.h"
#include "ide/app/windows/report_box.h"
#include "ide/build/build_command.h"

namespace qbc {

BuildRunner::BuildRunner(DocumentManager& documents, ReportBox& report, QString installDir,
                         std::function<void()> wait)
    : documents_(documents),
      report_(report),
      installDir_(std::move(installDir)),
      wait_(std::move(wait)),
      state_(std::make_unique<CompilerState>()) {}

BuildRunner::~BuildRunner() = default;

void BuildRunner::Run() {
  FrmDoc* doc = documents_.ActiveDoc();
  if (running_ || !doc) return;
  const QString path = doc->Path();
  // Any document other than a Basic source goes to the assembler as saved.
  if (!path.right(3).toLower().endsWith(QLatin1String("bas")) && !documents_.Save(doc)) return;
  running_ = true;
  if (onRunning) onRunning(true);
  const QByteArray text = doc->Bytes();
  BuildPaths paths{QFile::encodeName(installDir_).toStdString(), QFile::encodeName(path).toStdString()};
  RunBuildCommand(*state_, paths, text.toStdString(), report_.Sink(), nullptr, wait_);
  running_ = false;
  if (onRunning) onRunning(false);
}

}  // namespace qbc
