#include "ide/app/services/qt_desktop_services.h"

#include <Qsci/qsciprinter.h>
#include <Qsci/qsciscintilla.h>

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QProcess>
#include <QUrl>

#include "ide/app/editor/editor_properties_dialog.h"
#include "ide/app/services/application_setup.h"

namespace qbc {

QString QtNameFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1String("*.*"), QLatin1String("*"));
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    QString description = parts[i];
    const int paren = description.indexOf(QLatin1Char('('));
    if (paren >= 0) description = description.left(paren).trimmed();
    filters << description + QLatin1String(" (") + patterns + QLatin1Char(')');
  }
  return filters.join(QLatin1String(";;"));
}

QtDesktopServices::QtDesktopServices() = default;
QtDesktopServices::~QtDesktopServices() = default;

QString QtDesktopServices::OpenFileName(QWidget* parent, const QString& title, const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, QString(), QtNameFilter(filter));
}

QString QtDesktopServices::SaveFileName(QWidget* parent, const QString& title, const QString& initialName,
                                        const QString& filter) {
  return QFileDialog::getSaveFileName(parent, title, initialName, QtNameFilter(filter));
}

DesktopServices::Answer QtDesktopServices::Question(QWidget* parent, const QString& title, const QString& text) {
  // The texts separate their paragraphs with carriage returns; the label breaks at LF.
  QString shown = text;
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(QMessageBox::Warning, title, shown, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  parent);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

void QtDesktopServices::Information(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, ApplicationTitle(), text);
}

void QtDesktopServices::Message(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

std::optional<QString> QtDesktopServices::InputText(QWidget* parent, const QString& prompt,
                                                     const QString& defaultText) {
  bool ok = false;
  QString answer = QInputDialog::getText(parent, ApplicationTitle(), prompt, QLineEdit::Normal,
                                         defaultText, &ok);
  if (!ok) return std::nullopt;
  return answer;
}

bool QtDesktopServices::StartDetached(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

bool QtDesktopServices::OpenWithViewer(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktopServices::Print(QWidget* parent, QsciScintilla* editor) {
  if (!printer_) printer_ = std::make_unique<QsciPrinter>();
  auto* printer = static_cast<QsciPrinter*>(printer_.get());
  QPrintDialog dialog(printer, parent);
  if (dialog.exec() == QDialog::Accepted) printer->printRange(editor);
}

void QtDesktopServices::PageSetup(QWidget* parent) {
  if (!printer_) printer_ = std::make_unique<QsciPrinter>();
  QPageSetupDialog dialog(printer_.get(), parent);
  dialog.exec();
}

bool QtDesktopServices::EditLook(QWidget* parent, EditorLook& look) {
  EditorPropertiesDialog dialog(look, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  look = dialog.Look();
  return true;
}

}  // namespace qbc
