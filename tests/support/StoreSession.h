// SPDX-License-Identifier: GPL-3.0-or-later
// An instrument session on the simulator, set up the way the program's opening
// leaves it (time-out, termination character, end of input), with the state
// record, a scripted user and a log of every write, for the file-store tests.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "io/Visa.h"
#include "support/ScriptedInteraction.h"
#include "support/Simulator.h"

namespace karvel::test {

class StoreSession {
 public:
  // `family` 1 or 2; `args` more simulator options; `serial`: over the
  // simulator's pseudo-terminal at 115200 baud instead of its socket.
  explicit StoreSession(int family, QStringList args = {}, bool serial = false)
      : sim_([&] {
          args << "--tcp"
               << "0"
               << "--family" << QString::number(family);
          if (serial) args << "--pty";
          return args;
        }()) {
    state.ui = &ui;
    state.clock = &clock;
    state.visa = &visa;
    state.instrumentModel = family == 1 ? kModelRQ4102 : kModelRQ6102;
    state.programDir = programDir.path();
    visa.setTrace([this](const io::TraceEvent& e) {
      if (e.kind == io::TraceEvent::Kind::Write) writes.append(e.data);
    });
    if (!sim_.ready()) return;
    visa.viOpenDefaultRM(&rm);
    const QString resource = serial ? sim_.ptyResource() : sim_.tcpResource();
    if (visa.viOpen(rm, resource, io::VI_NO_LOCK, 0, &state.session) < io::VI_SUCCESS) return;
    if (serial) {
      visa.viSetAttribute(state.session, io::VI_ATTR_ASRL_BAUD, 115200);
      visa.viSetAttribute(state.session, io::VI_ATTR_ASRL_END_IN, io::VI_ASRL_END_TERMCHAR);
    }
    visa.viSetAttribute(state.session, io::VI_ATTR_TMO_VALUE, 2000);
    visa.viSetAttribute(state.session, io::VI_ATTR_TERMCHAR, 13);
    visa.viSetAttribute(state.session, io::VI_ATTR_SUPPRESS_END_EN, io::VI_FALSE);
    state.sessionOpen = 1;
  }

  bool ready() const { return state.sessionOpen == 1; }
  Simulator& sim() { return sim_; }
  io::ViSession vi() const { return state.session; }

  // A reply to `command`, the way a person at a terminal would ask.
  QByteArray ask(const QByteArray& command) {
    visa.viWrite(state.session, command);
    QByteArray reply;
    visa.viRead(state.session, &reply, 1 << 20);
    return reply;
  }

  // Stores `bytes` as `name` in the instrument's current folder, name as given.
  void store(const QByteArray& name, const QByteArray& bytes) {
    const QByteArray size = QByteArray::number(bytes.size());
    visa.viWrite(state.session, "MMEM:DATA \"" + name + "\",#" + QByteArray::number(size.size()) +
                                    size + bytes + "\r");
    ask("*OPC?\r");  // the instrument has taken it once it answers
  }

  // A PC file in a scratch folder.
  QString pcFile(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(scratch.path()).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
  }

  // Every write after the `from`-th, joined.
  QByteArray writtenSince(qsizetype from) const {
    QByteArray out;
    for (qsizetype i = from; i < writes.size(); ++i) out += writes[i];
    return out;
  }

  QTemporaryDir programDir;
  QTemporaryDir scratch;
  ScriptedInteraction ui;
  RecordingClock clock;
  io::Visa visa;
  AppState state;
  io::ViSession rm = io::VI_NULL;
  QList<QByteArray> writes;

 private:
  Simulator sim_;
};

// Bytes of every value, carriage returns and line feeds included.
inline QByteArray patternBytes(qsizetype size) {
  QByteArray out(size, '\0');
  for (qsizetype i = 0; i < size; ++i) out[i] = static_cast<char>((i * 131 + i / 256) & 0xFF);
  return out;
}

inline QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace karvel::test
