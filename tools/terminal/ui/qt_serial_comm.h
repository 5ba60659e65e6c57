#pragma once
// SerialComm on Qt Serial Port.
#include <QSerialPort>
#include <QTimer>

#include "tools/terminal/ui/serial_comm.h"

namespace qbc {

class QtSerialComm : public SerialComm {
  Q_OBJECT

 public:
  QtSerialComm();
  ~QtSerialComm() override;

  int CommPort() const override { return commPort_; }
  QString SetCommPort(int number) override;
  QString Settings() const override { return settings_; }
  QString SetSettings(const QString& settings) override;
  int Handshaking() const override { return handshaking_; }
  QString SetHandshaking(int handshaking) override;
  bool PortOpen() const override { return port_.isOpen(); }
  QString SetPortOpen(bool open) override;
  QString Output(const QByteArray& data) override;
  QByteArray Input() override { return port_.readAll(); }
  qint64 OutBufferCount() const override { return port_.bytesToWrite(); }
  void ToggleDtr() override;
  void ToggleRts() override;

 private:
  QString ApplyFrame(const QString& settings);
  QString ApplyFlow(int handshaking);
  void ApplyLines();
  void PollModemLines();
  void OnError(QSerialPort::SerialPortError error);

  QSerialPort port_;
  QTimer linePoll_;
  int commPort_ = 1;
  QString settings_ = QStringLiteral("9600,n,8,1");
  int handshaking_ = 0;
  bool dtr_ = false;
  bool rts_ = false;
  QSerialPort::PinoutSignals lastLines_;
};

}  // namespace qbc
