#pragma once
// Sends a file through the port block by block: the next block goes once the previous
// one has drained, and the global CancelSend stops it. It runs on the event loop, so the
// window stays usable and nothing waits in a nested loop.
#include <QFile>
#include <QObject>
#include <QTimer>

namespace qbc {

class SerialComm;

class FileSender : public QObject {
  Q_OBJECT

 public:
  explicit FileSender(SerialComm& comm);

  // Starts sending the open `file`; false when a send is already running.
  bool Start(const QString& path, QString* error);
  bool Running() const { return file_.isOpen(); }
  // Stops at once, as the cancel button does.
  void Cancel();

 signals:
  // The send ended: all sent, cancelled or failed (`error` non-empty).
  void finished(const QString& error);

 private:
  void Step();
  void Finish(const QString& error);

  SerialComm& comm_;
  QFile file_;
  QTimer poll_;
};

}  // namespace qbc
