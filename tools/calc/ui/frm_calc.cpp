#include "tools/calc/ui/frm_calc.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>

#include "tools/calc/core/timer_reload.h"
#include "ui_frm_calc.h"

namespace qbc {

frmCalc::frmCalc(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::frmCalc>()) {
  ui_->setupUi(this);
  setAttribute(Qt::WA_QuitOnClose, false);
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mono.setBold(true);
  for (QLabel* out : {ui_->t0_0, ui_->t0_1, ui_->t0_2, ui_->t0_3, ui_->t1_0, ui_->t1_1, ui_->t1_2,
                      ui_->t1_3, ui_->t1_4, ui_->t1_5, ui_->t1_6, ui_->t1_7, ui_->atime}) {
    out->setFont(mono);
  }
  ui_->q->setCurrentText(QStringLiteral("7.3728"));
  ui_->pre->setCurrentText(QStringLiteral("1"));
  // Typed values count as soon as they are typed, like a chosen list item.
  connect(ui_->q, &QComboBox::currentTextChanged, this, &frmCalc::Recalc);
  connect(ui_->pre, &QComboBox::currentTextChanged, this, &frmCalc::Recalc);
  connect(ui_->tim, &QLineEdit::textChanged, this, &frmCalc::Recalc);
  Recalc();
}

frmCalc::~frmCalc() = default;

void frmCalc::Recalc() {
  const TimerReload r = ComputeTimerReload(ui_->q->currentText().toStdString(),
                                           ui_->pre->currentText().toStdString(),
                                           ui_->tim->text().toStdString());
  ui_->t0_1->setText(QString::fromStdString(r.tcnt8));
  ui_->t0_2->setText(QString::fromStdString(r.ocr8));
  ui_->t1_4->setText(QString::fromStdString(r.tcntHigh));
  ui_->t1_5->setText(QString::fromStdString(r.tcntLow));
  ui_->t1_6->setText(QString::fromStdString(r.ocrHigh));
  ui_->t1_7->setText(QString::fromStdString(r.ocrLow));
  ui_->atime->setText(QString::fromStdString(r.actualTime));
}

}  // namespace qbc
