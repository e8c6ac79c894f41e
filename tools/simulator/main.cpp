// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-sim: a Tarvik instrument on a TCP port or a pseudo-terminal, for the
// tests and for trying the program without hardware.
//
// It prints "tcp <port>" and/or "pty <device>" and then "ready" on its
// standard output. Lines on its standard input change it while it runs:
// "fault none|silent|garbage|close-mid-reply",
// "block-fault none|truncated|garbage|bad-length|huge", "sdcard on|off", "mode NAME",
// "baud N", "quit".
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <csignal>
#include <cstdio>
#include <memory>

#include "Instrument.h"
#include "PtyLine.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

std::optional<sim::BlockFault> parseBlockFault(const QString& text) {
  if (text == "none") return sim::BlockFault::None;
  if (text == "truncated") return sim::BlockFault::Truncated;
  if (text == "garbage") return sim::BlockFault::Garbage;
  if (text == "bad-length") return sim::BlockFault::BadLength;
  if (text == "huge") return sim::BlockFault::Huge;
  return std::nullopt;
}

std::optional<sim::Fault> parseFault(const QString& text) {
  if (text == "none") return sim::Fault::None;
  if (text == "silent") return sim::Fault::Silent;
  if (text == "garbage") return sim::Fault::Garbage;
  if (text == "close-mid-reply") return sim::Fault::CloseMidReply;
  return std::nullopt;
}

QByteArray printable(const QByteArray& bytes) {
  QByteArray out;
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (u < 32 || u >= 127)
      out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    else
      out += c;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  // A file-size limit makes a log write fail (and says so) rather than kill.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  QCoreApplication app(argc, argv);
  QCommandLineParser p;
  p.setApplicationDescription("Tarvik instrument simulator");
  p.addHelpOption();
  p.addOptions({
      {"family", "Instrument family: 1 (RQ4102) or 2 (RQ6102).", "n", "2"},
      {"ident", "Identification reply names the model by 'code' or only by 'prefix'.", "how",
       "code"},
      {"idn", "Identification reply text (replaces the family's).", "text"},
      {"tcp", "Listen on this TCP port (0: any free port).", "port"},
      {"bind", "Address to listen on.", "address", "127.0.0.1"},
      {"pty", "Serve a pseudo-terminal."},
      {"unpaced",
       "Move bytes on the pseudo-terminal as fast as both ends take them, not at the line's "
       "speed."},
      {"pty-link", "Also make this symbolic link to the pseudo-terminal.", "path"},
      {"baud", "The instrument's serial speed.", "rate", "115200"},
      {"cdc", "Behave as a USB CDC port: answer at any line speed."},
      {"fixed-speed", "Refuse serial speed changes (answers only at --baud)."},
      {"deaf-after-speed-change",
       "Take a serial speed change, then answer at no speed (as a fault 'silent')."},
      {"mode", "Initial instrument mode (BUS, SCOPE, METER, EYE).", "name", "BUS"},
      {"refuse-bus", "Refuse bus-analysis mode."},
      {"calibration", "Calibration word, hexadecimal (first family).", "hex", "800000"},
      {"run", "Acquisition run state (0 or 1).", "n", "1"},
      {"transform", "Frequency transform state (0 or 1).", "n", "0"},
      {"files",
       "Preload the internal memory with the *.BUS and *.HTM files of this folder (repeatable).",
       "dir"},
      {"sd-files",
       "Preload the SD card (second store of the first family) from this folder (repeatable).",
       "dir"},
      {"hostile-names",
       "Also hold files whose names carry terminal escape sequences, a line feed, a carriage "
       "return and a double quote, in the internal memory."},
      {"no-sdcard", "No SD card inserted."},
      {"sdcard-unreadable",
       "An SD card that cannot be read: each use fails with error -200, and its catalogue "
       "still answers the names of --sd-files."},
      {"memory-full", "The stores are full: file blocks are taken, nothing new is stored."},
      {"refuse-delete", "Refuse to delete files (MMEM:DEL answers with an error)."},
      {"block-timeout",
       "Cut a file block whose bytes stop coming for this long, keeping what came.", "ms", "1000"},
      {"fault", "Fault to inject: none, silent, garbage, close-mid-reply.", "fault", "none"},
      {"block-fault", "Fault of file data blocks only: none, truncated, garbage, bad-length, huge.",
       "fault", "none"},
      {"log", "Log every command received, with a time stamp, to this file ('-': standard error).",
       "file"},
  });
  p.process(app);

  sim::Settings s;
  s.family = p.value("family") == "1" ? 1 : 2;
  s.identByCode = p.value("ident") != "prefix";
  s.idn = p.value("idn").toLatin1();
  s.baud = p.value("baud").toInt();
  s.fixedSpeed = p.isSet("fixed-speed");
  s.deafAfterSpeedChange = p.isSet("deaf-after-speed-change");
  s.anySpeed = p.isSet("cdc");
  s.mode = p.value("mode").toLatin1().toUpper();
  s.refuseBus = p.isSet("refuse-bus");
  bool ok = false;
  s.calibration = p.value("calibration").toUInt(&ok, 16);
  if (!ok) {
    std::fprintf(stderr, "karvel-sim: bad --calibration\n");
    return 2;
  }
  s.runState = p.value("run") == "0" ? 0 : 1;
  s.transform = p.value("transform") == "1" ? 1 : 0;
  s.sdCard = !p.isSet("no-sdcard");
  s.sdCardUnreadable = p.isSet("sdcard-unreadable");
  s.memoryFull = p.isSet("memory-full");
  s.refuseDelete = p.isSet("refuse-delete");
  s.blockTimeoutMs = p.value("block-timeout").toInt(&ok);
  if (!ok || s.blockTimeoutMs <= 0) {
    std::fprintf(stderr, "karvel-sim: bad --block-timeout\n");
    return 2;
  }
  const auto fault = parseFault(p.value("fault"));
  if (!fault) {
    std::fprintf(stderr, "karvel-sim: unknown fault %s\n", qPrintable(p.value("fault")));
    return 2;
  }
  const auto blockFault = parseBlockFault(p.value("block-fault"));
  if (!blockFault) {
    std::fprintf(stderr, "karvel-sim: unknown block fault %s\n",
                 qPrintable(p.value("block-fault")));
    return 2;
  }
  if (!p.isSet("tcp") && !p.isSet("pty")) {
    std::fprintf(stderr, "karvel-sim: give --tcp PORT and/or --pty\n");
    return 2;
  }

  sim::Instrument instrument(s);
  instrument.setFault(*fault);
  instrument.setBlockFault(*blockFault);
  for (const QString& dir : p.values("files"))
    instrument.files().preload(dir, s.family, "/", "LOCAL");
  for (const QString& dir : p.values("sd-files"))
    instrument.files().preload(dir, s.family, sim::Instrument::kSdRoot,
                               sim::Instrument::kSecondStore);
  if (p.isSet("hostile-names")) {
    // Names a damaged or hostile store might list: a new terminal title, a
    // cleared screen, a record split in two, a reply cut short, a broken
    // command.
    const QList<QByteArray> stems = {"\x1b]0;owned\x07TITLE", "\x1b[2J\x1b[HCLEAR", "LINE\nFEED",
                                     "CARRIAGE\rRETURN", "QUOTE\"D"};
    for (const QByteArray& stem : stems) {
      const QString results = QString::fromLatin1(stem + ".HTM");
      const QString bus = QString::fromLatin1(stem + ".BUS");
      instrument.files().folder(s.family == 1 ? "LOCAL" : "/bus").put(results, "<html></html>");
      instrument.files().folder(s.family == 1 ? "LOCAL" : "/bus-limits").put(bus, "<bus/>");
    }
  }

  std::unique_ptr<QFile> logFile;
  if (p.isSet("log")) {
    logFile = std::make_unique<QFile>();
    const bool opened = p.value("log") == "-"
                            ? logFile->open(stderr, QIODevice::WriteOnly)
                            : (logFile->setFileName(p.value("log")),
                               logFile->open(QIODevice::WriteOnly | QIODevice::Append));
    if (!opened) {
      std::fprintf(stderr, "karvel-sim: cannot write the log\n");
      return 2;
    }
  }
  instrument.log = [&](const QByteArray& line) {
    if (!logFile) return;
    const QByteArray entry = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() +
                             ' ' + printable(line) + '\n';
    static bool reported = false;
    if ((logFile->write(entry) != entry.size() || !logFile->flush()) && !reported) {
      reported = true;
      std::fprintf(stderr, "karvel-sim: cannot write the log %s: %s\n",
                   qUtf8Printable(logFile->fileName()), qUtf8Printable(logFile->errorString()));
    }
  };

  // One link at a time answers: the newest connection, else the pty.
  QPointer<QTcpSocket> client;
  QTcpServer server;
#ifdef Q_OS_UNIX
  sim::PtyLine pty;
  // A USB CDC port moves bytes at the bus's speed, whatever the line's.
  pty.setPaced(!p.isSet("unpaced") && !s.anySpeed);
#endif
  auto route = [&](bool toSocket) {
    instrument.send = [&, toSocket](const QByteArray& bytes) {
      if (toSocket) {
        if (client) {
          client->write(bytes);
          client->flush();
        }
      }
#ifdef Q_OS_UNIX
      else {
        pty.send(bytes);
      }
#endif
    };
    instrument.sendBlock = [&, toSocket](const QByteArray& bytes) {
#ifdef Q_OS_UNIX
      if (!toSocket) return pty.send(bytes, true);
#endif
      instrument.send(bytes);
    };
    // A socket has taken the whole block at once: nothing is left to cut.
    instrument.dropBlockUnderWay = [&, toSocket]() {
#ifdef Q_OS_UNIX
      if (!toSocket) return pty.dropBlock();
#endif
      return false;
    };
    instrument.closeLink = [&, toSocket]() {
      if (toSocket && client) client->abort();
#ifdef Q_OS_UNIX
      if (!toSocket) instrument.setFault(sim::Fault::Silent);
#endif
    };
  };

  if (p.isSet("tcp")) {
    const int port = p.value("tcp").toInt();
    if (!server.listen(QHostAddress(p.value("bind")), static_cast<quint16>(port))) {
      std::fprintf(stderr, "karvel-sim: cannot listen: %s\n", qPrintable(server.errorString()));
      return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, [&]() {
      while (QTcpSocket* next = server.nextPendingConnection()) {
        if (client) client->abort();
        client = next;
        next->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        instrument.resetLink();
        route(true);
        QObject::connect(next, &QTcpSocket::readyRead, [&, next]() {
          if (client != next) return;
          route(true);
          instrument.receive(next->readAll(), 0);
        });
        QObject::connect(next, &QTcpSocket::disconnected, next, &QObject::deleteLater);
      }
    });
    std::printf("tcp %d\n", server.serverPort());
  }
#ifdef Q_OS_UNIX
  if (p.isSet("pty")) {
    if (!pty.open(p.value("pty-link"))) {
      std::fprintf(stderr, "karvel-sim: cannot create a pseudo-terminal\n");
      return 1;
    }
    pty.received = [&](const QByteArray& bytes, qint32 baud) {
      route(false);
      instrument.receive(bytes, baud);
    };
    std::printf("pty %s\n", qPrintable(pty.device()));
  }
  // Control lines on standard input.
  QSocketNotifier control(STDIN_FILENO, QSocketNotifier::Read);
  QByteArray controlInput;
  QObject::connect(&control, &QSocketNotifier::activated, [&]() {
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      control.setEnabled(false);  // standard input closed: keep serving
      return;
    }
    controlInput.append(buf, n);
    qsizetype nl;
    while ((nl = controlInput.indexOf('\n')) >= 0) {
      const QList<QByteArray> words = controlInput.left(nl).trimmed().split(' ');
      controlInput.remove(0, nl + 1);
      const QByteArray cmd = words.value(0);
      const QByteArray arg = words.value(1);
      bool done = true;
      if (cmd == "quit") {
        QCoreApplication::quit();
      } else if (cmd == "fault" && parseFault(QString::fromLatin1(arg))) {
        instrument.setFault(*parseFault(QString::fromLatin1(arg)));
      } else if (cmd == "block-fault" && parseBlockFault(QString::fromLatin1(arg))) {
        instrument.setBlockFault(*parseBlockFault(QString::fromLatin1(arg)));
      } else if (cmd == "sdcard") {
        instrument.settings().sdCard = arg == "on";
      } else if (cmd == "mode" && !arg.isEmpty()) {
        instrument.settings().mode = arg.toUpper();
      } else if (cmd == "baud" && arg.toInt() > 0) {
        instrument.settings().baud = arg.toInt();
      } else if (!cmd.isEmpty()) {
        done = false;
      }
      std::printf(done ? "ok\n" : "unknown control %s\n", cmd.constData());
      std::fflush(stdout);
    }
  });
#endif
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}
