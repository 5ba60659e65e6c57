#pragma once
// The outside programs: the device programmer on the active document's .hex file, the
// debugger or simulator ("AvrStudio"), and the help file in the desktop's viewer. Their
// paths and the programmer's command line live in the settings store ("Startup").
#include <QString>
#include <functional>

class QWidget;

namespace qbc {

class DesktopServices;

inline constexpr const char* kHelpFileName = "Quorvil.chm";

class ProgrammerLauncher {
 public:
  // `activePath` gives the active document's path ("" when none is open).
  ProgrammerLauncher(DesktopServices& services, QWidget* parent, QString installDir,
                     std::function<QString()> activePath);

  QString SelectExeFile(const QString& what);
  QString TestDebug();
  QString TestProg();
  void DoDebug();
  void DoProg();
  // "Programmer Command Line": edits the text put between the programmer and the file.
  void EditCommandLine();
  // Help from the menu: failures pass silently.
  void Help();
  // Help from the button bar: a missing help file is reported.
  void HelpFromButton();

 private:
  QString HelpPath() const;

  DesktopServices& services_;
  QWidget* parent_;
  QString installDir_;
  std::function<QString()> activePath_;
};

}  // namespace qbc
