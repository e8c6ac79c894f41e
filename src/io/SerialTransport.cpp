// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/SerialTransport.h"

#include <QDeadlineTimer>
#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#include <cerrno>
#endif

namespace karvel::io {

SerialTransport::SerialTransport(QString device, QString description)
    : device_(std::move(device)), description_(std::move(description)) {}

SerialTransport::~SerialTransport() { close(); }

ViStatus SerialTransport::open(int) {
  port_ = std::make_unique<QSerialPort>();
  port_->setPortName(device_);
  // VISA's serial defaults: 9600 baud, 8 data bits, no parity, 1 stop bit.
  port_->setBaudRate(9600);
  port_->setDataBits(QSerialPort::Data8);
  port_->setParity(QSerialPort::NoParity);
  port_->setStopBits(QSerialPort::OneStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  cause_ = LinkCause::None;
  if (!port_->open(QIODevice::ReadWrite)) {
    error_ = port_->errorString();
    const auto err = port_->error();
    port_.reset();
    if (err == QSerialPort::DeviceNotFoundError) {
      cause_ = LinkCause::NoDevice;
      return VI_ERROR_RSRC_NFOUND;
    }
    if (err == QSerialPort::PermissionError || err == QSerialPort::OpenError) {
      // Qt reports a refused access and a port held by another program (its
      // lock file, or an exclusive open) alike; the user must act differently.
      // Its lock file is taken before the device is looked at, so a missing
      // device can come back as a lock held by another program.
      cause_ = refusedCause();
      if (cause_ == LinkCause::NoDevice) return VI_ERROR_RSRC_NFOUND;
      return cause_ == LinkCause::Permission ? VI_ERROR_RSRC_LOCKED : VI_ERROR_RSRC_BUSY;
    }
    cause_ = LinkCause::Other;
    return VI_ERROR_SYSTEM_ERROR;
  }
  // A device that goes away (a USB cable pulled, the other end of a
  // pseudo-terminal closed) is told as it happens, not only at the next read.
  QObject::connect(port_.get(), &QSerialPort::errorOccurred, port_.get(),
                   [this](QSerialPort::SerialPortError error) {
                     if (!port_ || !deviceGone(error)) return;
                     error_ = port_->errorString();
                     reportClosed();
                   });
  return VI_SUCCESS;
}

bool SerialTransport::deviceGone(QSerialPort::SerialPortError error) const {
  if (error == QSerialPort::ResourceError) return true;
  // A hung-up line may read as an end of file rather than as an error of
  // the device: whether it is still there tells.
  if (error == QSerialPort::ReadError || error == QSerialPort::WriteError)
    return !QFile::exists(device_);
  return false;
}

LinkCause SerialTransport::refusedCause() const {
#ifdef Q_OS_UNIX
  const QByteArray path = QFile::encodeName(device_);
  if (::access(path.constData(), F_OK) != 0) return LinkCause::NoDevice;
  if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) return LinkCause::Permission;
#endif
  // Windows refuses a port that another program holds with "access denied".
  return LinkCause::Busy;
}

void SerialTransport::close() {
  if (port_) {
    // Our own close is no loss of the link.
    QObject::disconnect(port_.get(), nullptr, nullptr, nullptr);
    port_->close();
    port_.reset();
  }
}

ViStatus SerialTransport::write(const QByteArray& bytes, int timeoutMs, ViUInt32* written) {
  if (written) *written = 0;
  if (!port_) return VI_ERROR_CONN_LOST;
  if (bytes.isEmpty()) return VI_SUCCESS;
  if (port_->write(bytes) != bytes.size()) {
    error_ = port_->errorString();
    return VI_ERROR_IO;
  }
  QDeadlineTimer deadline(timeoutMs);
  while (port_->bytesToWrite() > 0) {
    const int left = static_cast<int>(deadline.remainingTime());
    if (left <= 0 || !port_->waitForBytesWritten(waitStep(left))) {
      if (port_->bytesToWrite() == 0) break;
      if (port_->error() == QSerialPort::ResourceError) {
        error_ = port_->errorString();
        return VI_ERROR_CONN_LOST;
      }
      if (deadline.hasExpired()) {
        // What stayed in the queue is not sent later behind the caller's back.
        const auto pending = port_->bytesToWrite();
        port_->clear(QSerialPort::Output);
        if (written) *written = static_cast<ViUInt32>(bytes.size() - pending);
        return VI_ERROR_TMO;
      }
    }
    keepWaiting();
  }
  if (written) *written = static_cast<ViUInt32>(bytes.size());
  return VI_SUCCESS;
}

ViStatus SerialTransport::receive(QByteArray& into, int timeoutMs) {
  if (!port_) return VI_ERROR_CONN_LOST;
  if (port_->bytesAvailable() == 0) {
    if (timeoutMs <= 0 || !port_->waitForReadyRead(timeoutMs)) {
      if (port_->error() == QSerialPort::ResourceError) {
        error_ = port_->errorString();
        return VI_ERROR_CONN_LOST;
      }
      if (port_->bytesAvailable() == 0) return VI_ERROR_TMO;
    }
  }
  into += port_->readAll();
  return VI_SUCCESS;
}

void SerialTransport::discardInput() {
  if (!port_) return;
  port_->clear(QSerialPort::Input);
  port_->readAll();
}

void SerialTransport::discardOutput() {
  if (port_) port_->clear(QSerialPort::Output);
}

ViStatus SerialTransport::setBaudRate(ViUInt32 rate) {
  if (!port_) return VI_ERROR_CONN_LOST;
  if (rate == 0 || rate > 4000000) return VI_ERROR_NSUP_ATTR_STATE;
  if (!port_->setBaudRate(static_cast<qint32>(rate))) {
    error_ = port_->errorString();
    return VI_ERROR_NSUP_ATTR_STATE;
  }
  return VI_SUCCESS;
}

ViStatus SerialTransport::setFlowControl(ViAttrState mode) {
  if (!port_) return VI_ERROR_CONN_LOST;
  QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
  if (mode == VI_ASRL_FLOW_RTS_CTS)
    flow = QSerialPort::HardwareControl;
  else if (mode == VI_ASRL_FLOW_XON_XOFF)
    flow = QSerialPort::SoftwareControl;
  else if (mode != VI_ASRL_FLOW_NONE)
    return VI_ERROR_NSUP_ATTR_STATE;
  if (!port_->setFlowControl(flow)) {
    error_ = port_->errorString();
    return VI_ERROR_NSUP_ATTR_STATE;
  }
  return VI_SUCCESS;
}

QString SerialTransport::interfaceName() const {
  return description_.isEmpty() ? device_ : description_;
}

}  // namespace karvel::io
