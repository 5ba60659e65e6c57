#include "tests/tools/support/pty_pair.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace qbc::test {

PtyPair::PtyPair() {
  const QString port = PortPath();
  const QString peer = dir_.path() + QStringLiteral("/peer");
  socat_.start(QStringLiteral("socat"),
               {QStringLiteral("pty,raw,echo=0,link=") + port, QStringLiteral("pty,raw,echo=0,link=") + peer});
  if (!socat_.waitForStarted(5000)) return;
  QElapsedTimer timer;
  timer.start();
  while (!(QFileInfo::exists(port) && QFileInfo::exists(peer)) && timer.elapsed() < 5000) QThread::msleep(10);
  if (!QFileInfo::exists(peer)) return;
  peerFd_ = ::open(peer.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
}

PtyPair::~PtyPair() {
  if (peerFd_ >= 0) ::close(peerFd_);
  if (socat_.state() != QProcess::NotRunning) {
    Resume();
    socat_.kill();
    socat_.waitForFinished(3000);
  }
}

void PtyPair::PeerWrite(const QByteArray& bytes) {
  qsizetype done = 0;
  QElapsedTimer timer;
  timer.start();
  while (done < bytes.size() && timer.elapsed() < 5000) {
    const ssize_t n = ::write(peerFd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n > 0) done += n;
    else QThread::msleep(2);
  }
}

QByteArray PtyPair::PeerRead(int count, int ms) {
  QByteArray got;
  QElapsedTimer timer;
  timer.start();
  char buf[4096];
  while (got.size() < count && timer.elapsed() < ms) {
    const ssize_t n = ::read(peerFd_, buf, sizeof buf);
    if (n > 0) {
      got.append(buf, n);
    } else {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(2);
    }
  }
  return got;
}

void PtyPair::Pause() {
  if (socat_.processId() > 0) ::kill(static_cast<pid_t>(socat_.processId()), SIGSTOP);
}

void PtyPair::Resume() {
  if (socat_.processId() > 0) ::kill(static_cast<pid_t>(socat_.processId()), SIGCONT);
}

}  // namespace qbc::test
