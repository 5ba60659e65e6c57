#pragma once
// A serial port in memory: records what the terminal writes, delivers what a test
// "receives", and drains its output only when told to.
#include <QByteArray>
#include <QString>
#include <set>
#include <vector>

#include "tools/terminal/core/comm_events.h"
#include "tools/terminal/core/serial_frame.h"
#include "tools/terminal/ui/serial_comm.h"

namespace qbc::test {

class FakeComm : public SerialComm {
 public:
  int CommPort() const override { return port; }
  QString SetCommPort(int number) override {
    if (open) return QStringLiteral("Port already open");
    port = number;
    return {};
  }
  QString Settings() const override { return settings; }
  QString SetSettings(const QString& s) override {
    const auto frame = ParseSerialFrame(s.toStdString());
    if (!frame) return QStringLiteral("Invalid property value");
    settings = QString::fromStdString(ComposeSerialFrame(*frame));
    return {};
  }
  int Handshaking() const override { return handshaking; }
  QString SetHandshaking(int h) override {
    if (h < 0 || h > 3) return QStringLiteral("Invalid property value");
    handshaking = h;
    return {};
  }
  bool PortOpen() const override { return open; }
  QString SetPortOpen(bool o) override {
    if (o && unopenable.count(port)) return QStringLiteral("No such device");
    open = o;
    return {};
  }
  QString Output(const QByteArray& data) override {
    if (!open) return QStringLiteral("Port is closed");
    outputs.push_back(data);
    if (!drains) pending += data.size();
    return {};
  }
  QByteArray Input() override {
    QByteArray in = incoming;
    incoming.clear();
    return in;
  }
  qint64 OutBufferCount() const override { return pending; }
  void ToggleDtr() override { ++dtrToggles; }
  void ToggleRts() override { ++rtsToggles; }

  void Receive(const QByteArray& bytes) {
    incoming += bytes;
    emit commEvent(comm_event::kReceive);
  }
  QByteArray Written() const {
    QByteArray all;
    for (const QByteArray& o : outputs) all += o;
    return all;
  }

  int port = 1;
  QString settings = QStringLiteral("9600,n,8,1");
  int handshaking = 0;
  bool open = false;
  bool drains = true;
  qint64 pending = 0;
  std::set<int> unopenable;
  std::vector<QByteArray> outputs;
  QByteArray incoming;
  int dtrToggles = 0;
  int rtsToggles = 0;
};

}  // namespace qbc::test
