// SPDX-License-Identifier: GPL-3.0-or-later
// A serial port (real device or pseudo-terminal) through Qt SerialPort.
#pragma once

#include <QSerialPort>
#include <memory>

#include "io/Transport.h"

namespace karvel::io {

class SerialTransport : public Transport {
 public:
  SerialTransport(QString device, QString description);
  ~SerialTransport() override;

  ViStatus open(int timeoutMs) override;
  void close() override;
  ViStatus write(const QByteArray& bytes, int timeoutMs, ViUInt32* written) override;
  ViStatus receive(QByteArray& into, int timeoutMs) override;
  void discardInput() override;
  void discardOutput() override;
  bool isSerial() const override { return true; }
  ViStatus setBaudRate(ViUInt32 rate) override;
  ViStatus setFlowControl(ViAttrState mode) override;
  QString interfaceName() const override;
  QString lastError() const override { return error_; }
  LinkCause lastCause() const override { return cause_; }

 private:
  // Why an opening was refused: no such device, refused to this account, or
  // held by another program.
  LinkCause refusedCause() const;
  // Whether `error` means the device is gone for good.
  bool deviceGone(QSerialPort::SerialPortError error) const;

  QString device_;
  QString description_;
  QString error_;
  LinkCause cause_ = LinkCause::None;
  std::unique_ptr<QSerialPort> port_;
};

}  // namespace karvel::io
