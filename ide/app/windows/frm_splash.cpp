#include "ide/app/windows/frm_splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "compiler/version.h"

namespace qbc {

FrmSplash::FrmSplash(std::function<void()> done, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), done_(std::move(done)), timer_(new QTimer(this)) {
  setObjectName(QStringLiteral("frmSplash"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(420, 220);
  auto* title = new QLabel(QStringLiteral("Quorvil Basic Compiler\nfor AVR microcontrolers"));
  title->setObjectName(QStringLiteral("lblTitle"));
  QFont f = title->font();
  f.setPixelSize(24);
  f.setBold(true);
  title->setFont(f);
  title->setAlignment(Qt::AlignCenter);
  auto* version = new QLabel(QStringLiteral("Ver: ") + QStringLiteral(QBC_VERSION_TEXT));
  version->setObjectName(QStringLiteral("lblVersionNumber"));
  version->setAlignment(Qt::AlignCenter);
  for (QLabel* l : {title, version}) l->setStyleSheet(QStringLiteral("color: white"));
  auto* layout = new QVBoxLayout(this);
  layout->addStretch();
  layout->addWidget(title);
  layout->addWidget(version);
  layout->addStretch();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
  }
  timer_->setObjectName(QStringLiteral("Timer1"));
  timer_->setInterval(3000);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &FrmSplash::Finish);
}

void FrmSplash::StartTimer() { timer_->start(); }

void FrmSplash::mousePressEvent(QMouseEvent*) { Finish(); }

void FrmSplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, QColor(6, 62, 174));
  g.setColorAt(1, QColor(106, 162, 255));
  p.fillRect(rect(), g);
}

void FrmSplash::Finish() {
  timer_->stop();
  // The main window opens once, whether the timer or a click comes first, and however
  // often the splash is clicked.
  auto done = std::move(done_);
  done_ = nullptr;
  if (done) done();
  close();
}

}  // namespace qbc
