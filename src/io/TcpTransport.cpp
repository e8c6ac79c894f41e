// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/TcpTransport.h"

#include <QDeadlineTimer>

namespace karvel::io {

TcpTransport::TcpTransport(QString host, quint16 port) : host_(std::move(host)), port_(port) {}

TcpTransport::~TcpTransport() { close(); }

ViStatus TcpTransport::open(int timeoutMs) {
  socket_ = std::make_unique<QTcpSocket>();
  cause_ = LinkCause::None;
  socket_->connectToHost(host_, port_);
  if (!socket_->waitForConnected(timeoutMs)) {
    error_ = socket_->errorString();
    const auto err = socket_->error();
    socket_->abort();
    socket_.reset();
    switch (err) {
      case QAbstractSocket::SocketTimeoutError:
        cause_ = LinkCause::TimeOut;
        return VI_ERROR_TMO;
      case QAbstractSocket::ConnectionRefusedError:
        cause_ = LinkCause::Refused;
        break;
      case QAbstractSocket::HostNotFoundError:
        cause_ = LinkCause::UnknownHost;
        break;
      // Qt reports "no route to host" and "network unreachable" as a network error.
      case QAbstractSocket::NetworkError:
        cause_ = LinkCause::Unreachable;
        break;
      case QAbstractSocket::SocketAccessError:
        cause_ = LinkCause::Permission;
        break;
      default:
        cause_ = LinkCause::Other;
        break;
    }
    return VI_ERROR_RSRC_NFOUND;
  }
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  // The peer closing (or resetting) the connection is told as it happens,
  // not only at the next read.
  QObject::connect(socket_.get(), &QAbstractSocket::disconnected, socket_.get(), [this] {
    error_ = socket_->errorString();
    reportClosed();
  });
  return VI_SUCCESS;
}

void TcpTransport::close() {
  if (socket_) {
    // Our own close is no loss of the link.
    QObject::disconnect(socket_.get(), nullptr, nullptr, nullptr);
    socket_->abort();
    socket_.reset();
  }
}

ViStatus TcpTransport::write(const QByteArray& bytes, int timeoutMs, ViUInt32* written) {
  if (written) *written = 0;
  if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState) return VI_ERROR_CONN_LOST;
  if (bytes.isEmpty()) return VI_SUCCESS;
  if (socket_->write(bytes) != bytes.size()) {
    error_ = socket_->errorString();
    return VI_ERROR_IO;
  }
  QDeadlineTimer deadline(timeoutMs);
  while (socket_->bytesToWrite() > 0) {
    const int left = static_cast<int>(deadline.remainingTime());
    if (left <= 0 || !socket_->waitForBytesWritten(waitStep(left))) {
      if (socket_->bytesToWrite() == 0) break;
      if (socket_->state() != QAbstractSocket::ConnectedState) {
        error_ = socket_->errorString();
        return VI_ERROR_CONN_LOST;
      }
      if (deadline.hasExpired()) {
        if (written) *written = static_cast<ViUInt32>(bytes.size() - socket_->bytesToWrite());
        return VI_ERROR_TMO;
      }
    }
    keepWaiting();
  }
  if (written) *written = static_cast<ViUInt32>(bytes.size());
  return VI_SUCCESS;
}

ViStatus TcpTransport::receive(QByteArray& into, int timeoutMs) {
  if (!socket_) return VI_ERROR_CONN_LOST;
  if (socket_->bytesAvailable() == 0) {
    if (socket_->state() != QAbstractSocket::ConnectedState) return VI_ERROR_CONN_LOST;
    if (timeoutMs <= 0 || !socket_->waitForReadyRead(timeoutMs)) {
      if (socket_->bytesAvailable() == 0) {
        if (socket_->state() != QAbstractSocket::ConnectedState) {
          error_ = socket_->errorString();
          return VI_ERROR_CONN_LOST;
        }
        return VI_ERROR_TMO;
      }
    }
  }
  into += socket_->readAll();
  return VI_SUCCESS;
}

void TcpTransport::discardInput() {
  if (socket_) socket_->readAll();
}

QString TcpTransport::interfaceName() const {
  return QStringLiteral("TCPIP0::%1::%2::SOCKET").arg(host_).arg(port_);
}

}  // namespace karvel::io
