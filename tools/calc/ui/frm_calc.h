#pragma once
// The timer reload calculator window: three inputs, every output recomputed whenever
// one of them changes.
#include <QWidget>
#include <memory>

namespace Ui {
class frmCalc;
}

namespace qbc {

class frmCalc : public QWidget {
  Q_OBJECT

 public:
  explicit frmCalc(QWidget* parent = nullptr);
  ~frmCalc() override;

  void Recalc();

 private:
  std::unique_ptr<Ui::frmCalc> ui_;
};

}  // namespace qbc
