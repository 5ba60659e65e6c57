#pragma once
// The LCD character designer: left click sets a dot, any other button clears it,
// "Generate" turns the drawing into eight row bytes.
#include <QDialog>
#include <memory>

#include "tools/lcd/core/lcd_char.h"

namespace Ui {
class frmLCD;
}

namespace qbc {

class frmLCD : public QDialog {
  Q_OBJECT

 public:
  explicit frmLCD(QWidget* parent = nullptr);
  ~frmLCD() override;

  // The rows as the edit picture shows them now.
  LcdRows ReadRows() const;

 private:
  void OnGridPressed(Qt::MouseButton button, int x, int y);
  void Clear();
  void Generate();

  std::unique_ptr<Ui::frmLCD> ui_;
};

}  // namespace qbc
