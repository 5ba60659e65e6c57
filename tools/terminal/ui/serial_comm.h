#pragma once
// The terminal's serial port: port number, settings string, flow control, open state,
// output with its pending byte count, and communication events. Setters answer with an
// error description, empty on success.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

namespace qbc {

class SerialComm : public QObject {
  Q_OBJECT

 public:
  // Bytes written per block when a file is sent.
  static constexpr int kOutBufferSize = 512;

  virtual int CommPort() const = 0;
  virtual QString SetCommPort(int number) = 0;
  virtual QString Settings() const = 0;
  virtual QString SetSettings(const QString& settings) = 0;
  virtual int Handshaking() const = 0;
  virtual QString SetHandshaking(int handshaking) = 0;
  virtual bool PortOpen() const = 0;
  virtual QString SetPortOpen(bool open) = 0;
  virtual QString Output(const QByteArray& data) = 0;
  virtual QByteArray Input() = 0;
  // Bytes written but not yet handed to the device.
  virtual qint64 OutBufferCount() const = 0;
  virtual void ToggleDtr() = 0;
  virtual void ToggleRts() = 0;

 signals:
  // An event code of comm_events.h: data received, output drained, a line change or error.
  void commEvent(int code);
};

// The port on the machine's serial devices; Com1..Com4 are the paths the settings name.
std::unique_ptr<SerialComm> MakeQtSerialComm();

}  // namespace qbc
