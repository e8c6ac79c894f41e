// SPDX-License-Identifier: GPL-3.0-or-later
// A link that replays what the instrument would send instead of talking to a
// port, so that the I/O layer and the code above it run without a simulator:
// each receive hands over the next reply of the script, writes are kept. Used
// by the I/O tests and the fuzz targets.
#pragma once

#include <QByteArray>
#include <QList>
#include <functional>
#include <memory>

#include "io/Transport.h"
#include "io/Visa.h"

namespace karvel::test {

struct Script {
  QList<QByteArray> replies;  // one per receive, in order
  bool lostAtEnd = false;     // once used up: the link is lost, not merely silent
  QByteArray written;         // every byte the layer sent
  int receives = 0;
  int discards = 0;  // times the layer dropped what had arrived
  // Asked at each receive (counted from 1) before it answers: true makes that
  // one find nothing, as a wait that timed out, and keeps the script's next
  // reply for later. Tests fall silent or cancel at a chosen receive here.
  std::function<bool(int receive)> quiet;
};

class ScriptedTransport : public io::Transport {
 public:
  // `serial`: the layer applies its serial port rules, else its socket rules.
  ScriptedTransport(std::shared_ptr<Script> script, bool serial)
      : script_(std::move(script)), serial_(serial) {}

  io::ViStatus open(int) override { return io::VI_SUCCESS; }
  void close() override {}
  io::ViStatus write(const QByteArray& bytes, int, io::ViUInt32* written) override {
    script_->written += bytes;
    if (written) *written = static_cast<io::ViUInt32>(bytes.size());
    return io::VI_SUCCESS;
  }
  // Never waits: a script that is used up answers at once, as a time-out would.
  io::ViStatus receive(QByteArray& into, int) override {
    ++script_->receives;
    if (script_->quiet && script_->quiet(script_->receives)) return io::VI_ERROR_TMO;
    if (script_->replies.isEmpty())
      return script_->lostAtEnd ? io::VI_ERROR_CONN_LOST : io::VI_ERROR_TMO;
    into += script_->replies.takeFirst();
    return io::VI_SUCCESS;
  }
  void discardInput() override { ++script_->discards; }
  bool isSerial() const override { return serial_; }
  io::ViStatus setBaudRate(io::ViUInt32) override {
    return serial_ ? io::VI_SUCCESS : io::VI_ERROR_NSUP_ATTR;
  }
  io::ViStatus setFlowControl(io::ViAttrState) override {
    return serial_ ? io::VI_SUCCESS : io::VI_ERROR_NSUP_ATTR;
  }
  QString interfaceName() const override { return QStringLiteral("Scripted"); }
  QString lastError() const override { return {}; }

 private:
  std::shared_ptr<Script> script_;
  bool serial_;
};

// Every session `visa` opens from now on plays `script`, as a serial port or a
// socket as its resource name says; no serial port is listed.
inline void playScript(io::Visa& visa, std::shared_ptr<Script> script) {
  visa.setPortLister([] { return QList<io::SerialPortEntry>{}; });
  visa.setTransportMaker([script](const io::ResourceName& name, const QString&) {
    return std::make_unique<ScriptedTransport>(script, name.kind == io::ResourceName::Kind::Serial);
  });
}

}  // namespace karvel::test
