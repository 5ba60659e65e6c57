#include "tools/terminal/ui/qt_serial_comm.h"

#include "tools/common/tool_settings.h"
#include "tools/terminal/core/comm_events.h"
#include "tools/terminal/core/port_paths.h"
#include "tools/terminal/core/serial_frame.h"

namespace qbc {

namespace {

const QString kInvalidValue = QStringLiteral("Invalid property value");

QSerialPort::Parity ParityOf(char letter) {
  switch (letter) {
    case 'e': return QSerialPort::EvenParity;
    case 'o': return QSerialPort::OddParity;
    case 'm': return QSerialPort::MarkParity;
    case 's': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
  }
}

QString DevicePath(int number) {
  const QString configured = ReadProperty(PortName(number).c_str());
  return configured.isEmpty() ? QString::fromStdString(DefaultPortPath(number)) : configured;
}

}  // namespace

std::unique_ptr<SerialComm> MakeQtSerialComm() { return std::make_unique<QtSerialComm>(); }

QtSerialComm::QtSerialComm() {
  connect(&port_, &QSerialPort::readyRead, this, [this] { emit commEvent(comm_event::kReceive); });
  connect(&port_, &QSerialPort::bytesWritten, this, [this] { emit commEvent(comm_event::kSend); });
  connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialComm::OnError);
  // Qt reports no modem line changes, so the lines are polled while the port is open.
  linePoll_.setInterval(200);
  connect(&linePoll_, &QTimer::timeout, this, &QtSerialComm::PollModemLines);
}

QtSerialComm::~QtSerialComm() {
  // Closing the device as it is destroyed must not report into a half-destroyed object.
  port_.disconnect(this);
  linePoll_.stop();
}

QString QtSerialComm::SetCommPort(int number) {
  if (port_.isOpen()) return QStringLiteral("Port already open");
  if (number < 1 || number > kPortCount) return QStringLiteral("Invalid Port Number");
  commPort_ = number;
  return {};
}

QString QtSerialComm::SetSettings(const QString& settings) {
  const QString error = ApplyFrame(settings);
  if (error.isEmpty()) {
    settings_ = QString::fromStdString(ComposeSerialFrame(*ParseSerialFrame(settings.toStdString())));
  }
  return error;
}

QString QtSerialComm::ApplyFrame(const QString& settings) {
  const auto frame = ParseSerialFrame(settings.toStdString());
  if (!frame) return kInvalidValue;
  if (frame->stopBits == StopBits::OneAndHalf) {
    return QStringLiteral("1.5 stop bits are not available on Linux serial ports; choose 1 or 2.");
  }
  if (!port_.isOpen()) return {};  // applied when the port opens
  const bool ok = port_.setBaudRate(static_cast<qint32>(frame->baud)) &&
                  port_.setParity(ParityOf(frame->parity)) &&
                  port_.setDataBits(static_cast<QSerialPort::DataBits>(frame->dataBits)) &&
                  port_.setStopBits(frame->stopBits == StopBits::Two ? QSerialPort::TwoStop
                                                                     : QSerialPort::OneStop);
  return ok ? QString() : port_.errorString();
}

QString QtSerialComm::SetHandshaking(int handshaking) {
  const QString error = ApplyFlow(handshaking);
  if (error.isEmpty()) handshaking_ = handshaking;
  return error;
}

QString QtSerialComm::ApplyFlow(int handshaking) {
  if (handshaking == 3) {
    return QStringLiteral(
        "XON/XOFF together with RTS flow control is not available on Linux serial ports; "
        "choose Xon/Xoff or RTS.");
  }
  if (handshaking < 0 || handshaking > 3) return kInvalidValue;
  if (!port_.isOpen()) return {};
  const QSerialPort::FlowControl flow = handshaking == 1   ? QSerialPort::SoftwareControl
                                        : handshaking == 2 ? QSerialPort::HardwareControl
                                                           : QSerialPort::NoFlowControl;
  return port_.setFlowControl(flow) ? QString() : port_.errorString();
}

QString QtSerialComm::SetPortOpen(bool open) {
  if (open == port_.isOpen()) return {};
  if (!open) {
    linePoll_.stop();
    port_.close();
    return {};
  }
  const QString path = DevicePath(commPort_);
  port_.setPortName(path);
  if (!port_.open(QIODevice::ReadWrite)) {
    return path + QStringLiteral(": ") + port_.errorString();
  }
  QString error = ApplyFrame(settings_);
  if (error.isEmpty()) error = ApplyFlow(handshaking_);
  if (!error.isEmpty()) {
    port_.close();
    return error;
  }
  ApplyLines();
  lastLines_ = port_.pinoutSignals();
  linePoll_.start();
  return {};
}

QString QtSerialComm::Output(const QByteArray& data) {
  if (!port_.isOpen()) return QStringLiteral("Port is closed");
  return port_.write(data) == data.size() ? QString() : port_.errorString();
}

void QtSerialComm::ToggleDtr() {
  dtr_ = !dtr_;
  ApplyLines();
}

void QtSerialComm::ToggleRts() {
  rts_ = !rts_;
  ApplyLines();
}

void QtSerialComm::ApplyLines() {
  if (!port_.isOpen()) return;  // the lines are set as the port opens
  // A pseudo-terminal has no modem lines and a port under RTS flow control owns its RTS
  // line; both refusals leave the line as it is and are no fault of the user's.
  port_.setDataTerminalReady(dtr_);
  if (handshaking_ != 2) port_.setRequestToSend(rts_);
  port_.clearError();
}

void QtSerialComm::PollModemLines() {
  const QSerialPort::PinoutSignals lines = port_.pinoutSignals();
  if (port_.error() == QSerialPort::UnsupportedOperationError) {
    port_.clearError();
    linePoll_.stop();  // no lines to watch (a pseudo-terminal)
    return;
  }
  const QSerialPort::PinoutSignals changed = lines ^ lastLines_;
  lastLines_ = lines;
  if (changed & QSerialPort::ClearToSendSignal) emit commEvent(comm_event::kCts);
  if (changed & QSerialPort::DataSetReadySignal) emit commEvent(comm_event::kDsr);
  if (changed & QSerialPort::DataCarrierDetectSignal) emit commEvent(comm_event::kCd);
  if (changed & QSerialPort::RingIndicatorSignal) emit commEvent(comm_event::kRing);
}

void QtSerialComm::OnError(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
      if (port_.isOpen()) emit commEvent(comm_event::kOther);
      break;
    default:
      // Open failures are answered by SetPortOpen; unsupported line operations of a
      // pseudo-terminal and timeouts are not the user's concern.
      break;
  }
}

}  // namespace qbc
