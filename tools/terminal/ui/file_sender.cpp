#include "tools/terminal/ui/file_sender.h"

#include "tools/common/tool_globals.h"
#include "tools/terminal/ui/serial_comm.h"

namespace qbc {

FileSender::FileSender(SerialComm& comm) : comm_(comm) {
  poll_.setInterval(5);
  connect(&poll_, &QTimer::timeout, this, &FileSender::Step);
}

bool FileSender::Start(const QString& path, QString* error) {
  if (Running()) return false;
  file_.setFileName(path);
  if (!file_.open(QIODevice::ReadOnly)) {
    *error = file_.errorString();
    return false;
  }
  CancelSend = false;
  Step();
  if (Running()) poll_.start();
  return true;
}

void FileSender::Cancel() {
  CancelSend = true;
  if (Running()) Finish({});
}

void FileSender::Step() {
  if (CancelSend) {
    Finish({});
    return;
  }
  if (comm_.OutBufferCount() != 0) return;  // the last block is still going out
  if (file_.atEnd()) {
    Finish({});
    return;
  }
  // Exactly the file's bytes: the last block is only what remains.
  const QByteArray block = file_.read(SerialComm::kOutBufferSize);
  if (block.isEmpty()) {
    Finish(file_.errorString());
    return;
  }
  const QString error = comm_.Output(block);
  if (!error.isEmpty()) Finish(error);
}

void FileSender::Finish(const QString& error) {
  poll_.stop();
  file_.close();
  CancelSend = true;
  emit finished(error);
}

}  // namespace qbc
