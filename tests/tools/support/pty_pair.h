#pragma once
// Two linked pseudo-terminals made by one socat process (raw, no echo): the terminal
// opens one end, the test plays the board on the other.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace qbc::test {

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();

  bool Ready() const { return peerFd_ >= 0; }
  QString PortPath() const { return dir_.path() + QStringLiteral("/port"); }

  // The board's side: write bytes, or read until `count` bytes came (events are
  // processed meanwhile; gives up after `ms`).
  void PeerWrite(const QByteArray& bytes);
  QByteArray PeerRead(int count, int ms = 5000);

  // Stops and resumes the relay, so that the port's output cannot drain.
  void Pause();
  void Resume();

 private:
  QTemporaryDir dir_;
  QProcess socat_;
  int peerFd_ = -1;
};

}  // namespace qbc::test
