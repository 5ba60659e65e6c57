#include "tools/common/tool_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

namespace qbc {

namespace {

QMessageBox::StandardButtons ButtonsOf(MsgStyle style) {
  switch (style) {
    case MsgStyle::RetryCancelCritical: return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgStyle::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgStyle::YesNoCancelQuestion: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgStyle::Plain:
    case MsgStyle::Exclamation: break;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(MsgStyle style) {
  switch (style) {
    case MsgStyle::RetryCancelCritical: return QMessageBox::Critical;
    case MsgStyle::AbortRetryIgnore:
    case MsgStyle::YesNoCancelQuestion: return QMessageBox::Question;
    case MsgStyle::Exclamation: return QMessageBox::Warning;
    case MsgStyle::Plain: break;
  }
  return QMessageBox::NoIcon;
}

MsgAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Abort: return MsgAnswer::Abort;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Ignore: return MsgAnswer::Ignore;
    default: return MsgAnswer::Ok;
  }
}

class QtDialogs : public ToolDialogs {
 public:
  MsgAnswer Message(QWidget* parent, MsgStyle style, const QString& text) override {
    QMessageBox box(IconOf(style), parent ? parent->windowTitle() : QString(), text,
                    ButtonsOf(style), parent);
    return AnswerOf(box.exec());
  }

  std::optional<QString> OpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                      bool mustExist) override {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
  }
};

}  // namespace

ToolDialogs& QtToolDialogs() {
  static QtDialogs dialogs;
  return dialogs;
}

}  // namespace qbc
