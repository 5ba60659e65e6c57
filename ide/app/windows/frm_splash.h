#pragma once
// The splash window `frmSplash`: the name, the version of the compiler and a 3-second
// timer. At start-up its tick or a click opens the main window once; shown from
// Help > About, a click only closes it.
#include <QWidget>
#include <functional>

class QTimer;

namespace qbc {

class FrmSplash : public QWidget {
  Q_OBJECT
 public:
  // `done` runs once, on the first tick or click (empty for About).
  explicit FrmSplash(std::function<void()> done = {}, QWidget* parent = nullptr);

  // Starts the 3000 ms timer (start-up only).
  void StartTimer();
  QTimer* Timer() const { return timer_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Finish();

  std::function<void()> done_;
  QTimer* timer_;
};

}  // namespace qbc
