#pragma once
// The small window that stays on top while a file is sent and offers to cancel it.
#include <QWidget>

class QLabel;
class QPushButton;

namespace qbc {

class frmCancelSend : public QWidget {
  Q_OBJECT

 public:
  explicit frmCancelSend(QWidget* parent = nullptr);
  void SetPath(const QString& path);

 signals:
  void cancelled();

 protected:
  // Its close box cancels too: a send must not go on without a way to stop it.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Cancel();

  QLabel* label_;
  QPushButton* button_;
};

}  // namespace qbc
