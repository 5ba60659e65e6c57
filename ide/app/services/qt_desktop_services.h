#pragma once
// The desktop services of a real session: Qt's dialogs, QProcess and QDesktopServices.
#include <QPrinter>
#include <memory>

#include "ide/app/services/desktop_services.h"

namespace qbc {

// "Basic Files (*.bas)|*.bas|All Files (*.*)|*.*" as a Qt name filter; "*.*" stands for
// every file, with or without a dot.
QString QtNameFilter(const QString& filter);

class QtDesktopServices : public DesktopServices {
 public:
  QtDesktopServices();
  ~QtDesktopServices() override;

  QString OpenFileName(QWidget* parent, const QString& title, const QString& filter) override;
  QString SaveFileName(QWidget* parent, const QString& title, const QString& initialName,
                       const QString& filter) override;
  Answer Question(QWidget* parent, const QString& title, const QString& text) override;
  void Information(QWidget* parent, const QString& text) override;
  void Message(QWidget* parent, const QString& title, const QString& text) override;
  std::optional<QString> InputText(QWidget* parent, const QString& prompt, const QString& defaultText) override;
  bool StartDetached(const QString& program, const QStringList& arguments) override;
  bool OpenWithViewer(const QString& path) override;
  void Print(QWidget* parent, QsciScintilla* editor) override;
  void PageSetup(QWidget* parent) override;
  bool EditLook(QWidget* parent, EditorLook& look) override;

 private:
  std::unique_ptr<QPrinter> printer_;  // keeps the page set-up between prints
};

}  // namespace qbc
