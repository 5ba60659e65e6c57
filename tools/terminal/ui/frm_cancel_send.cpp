#include "tools/terminal/ui/frm_cancel_send.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/common/tool_globals.h"

namespace qbc {

frmCancelSend::frmCancelSend(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      label_(new QLabel(this)),
      button_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("frmCancelSend"));
  setWindowTitle(QStringLiteral("Quorvil Terminal"));
  label_->setObjectName(QStringLiteral("Label1"));
  button_->setObjectName(QStringLiteral("Command1"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(button_, 0, Qt::AlignHCenter);
  connect(button_, &QPushButton::clicked, this, &frmCancelSend::Cancel);
}

void frmCancelSend::Cancel() {
  CancelSend = true;
  emit cancelled();
}

void frmCancelSend::closeEvent(QCloseEvent* event) {
  if (!CancelSend) Cancel();
  QWidget::closeEvent(event);
}

void frmCancelSend::SetPath(const QString& path) {
  label_->setText(QStringLiteral("Transmitting Text File - ") + path);
  adjustSize();
}

}  // namespace qbc
