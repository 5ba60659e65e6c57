#include "ide/app/windows/report_box.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace qbc {

ReportBox::ReportBox(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("txRep"));
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void ReportBox::keyPressEvent(QKeyEvent* event) {
  QApplication::clipboard()->setText(toPlainText());
  QPlainTextEdit::keyPressEvent(event);
}

void ReportBox::BoxSink::Changed() {
  QString shown = QString::fromLatin1(QByteArray::fromStdString(Text()));
  shown.remove(QLatin1Char('\r'));
  box_.setPlainText(shown);
  box_.moveCursor(QTextCursor::End);
}

void ReportBox::BoxSink::Failure(const std::string& description) {
  ReportSink::Failure(description);
  if (box_.onFailure) box_.onFailure(QString::fromStdString(description));
}

}  // namespace qbc
