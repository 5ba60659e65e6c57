#pragma once
// The port properties window: shows the terminal's port values, applies the chosen ones
// on OK and saves them for the next start.
#include <QDialog>
#include <memory>

#include "tools/terminal/core/port_settings.h"

namespace Ui {
class frmProperties;
}

namespace qbc {

class PortPropertiesTarget;
class ToolDialogs;

class frmProperties : public QDialog {
  Q_OBJECT

 public:
  frmProperties(PortPropertiesTarget& target, ToolDialogs& dialogs, QWidget* parent = nullptr);
  ~frmProperties() override;

  // The values the window shows now.
  PortSettings Chosen() const;

 private:
  void LoadPropertySettings();
  void OnOk();

  std::unique_ptr<Ui::frmProperties> ui_;
  PortPropertiesTarget& target_;
  ToolDialogs& dialogs_;
};

}  // namespace qbc
