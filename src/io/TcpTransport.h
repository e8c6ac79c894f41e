// SPDX-License-Identifier: GPL-3.0-or-later
// A raw TCP socket ("TCPIP0::<address>::<port>::SOCKET").
#pragma once

#include <QTcpSocket>
#include <memory>

#include "io/Transport.h"

namespace karvel::io {

class TcpTransport : public Transport {
 public:
  TcpTransport(QString host, quint16 port);
  ~TcpTransport() override;

  ViStatus open(int timeoutMs) override;
  void close() override;
  ViStatus write(const QByteArray& bytes, int timeoutMs, ViUInt32* written) override;
  ViStatus receive(QByteArray& into, int timeoutMs) override;
  void discardInput() override;
  bool isSerial() const override { return false; }
  QString interfaceName() const override;
  QString lastError() const override { return error_; }
  LinkCause lastCause() const override { return cause_; }

 private:
  QString host_;
  quint16 port_;
  QString error_;
  LinkCause cause_ = LinkCause::None;
  std::unique_ptr<QTcpSocket> socket_;
};

}  // namespace karvel::io
